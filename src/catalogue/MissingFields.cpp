#include "catalogue/MissingFields.h"

namespace tessarine {
namespace {

// The column trimmed of spaces with an empty text read as one space, which no trimmed text is:
// "= ' '" is then true for NULL, "" and spaces alone, false otherwise, and never unknown, also on
// Oracle, where "= ''" is never true.
std::string SpaceWhenBlank(const SqlDialect& dialect, const std::string& column) {
  return "coalesce(nullif(ltrim(rtrim(" + dialect.Comparable(column) + ")), ''), ' ')";
}

// The field's test for the rows of `outer`: that it is missing, or (`holds`) that it is there.
std::string Test(const SqlDialect& dialect, const RequiredField& field, const RequiredTables& tables,
                 std::string_view outer, bool holds) {
  const std::string o(outer);
  const std::string exists = holds ? "exists (select 1 from " : "not exists (select 1 from ";
  switch (field.table) {
    case RequiredField::Table::Images:
      return SpaceWhenBlank(dialect, o + "." + field.column) + (holds ? " <> ' '" : " = ' '");
    case RequiredField::Table::Facts: {
      const std::string column = "r." + field.column;
      const std::string present = field.numeric ? column + " is not null" : SpaceWhenBlank(dialect, column) + " <> ' '";
      return exists + tables.facts->Text() + " r where r.Folder = " + o + ".Folder and r.FileName = " + o +
             ".FileName and " + present + ")";
    }
    case RequiredField::Table::Keywords:
      return exists + tables.keywords->Text() + " r where r.Folder = " + o + ".Folder and r.FileName = " + o +
             ".FileName)";
  }
  return "1 = 0";
}

// "(<test 1> or|and <test 2> ...)": any field missing, or (`holds`) every field there.
void AppendTests(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                 const RequiredTables& tables, std::string_view outer, bool holds) {
  statement.text += "(";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) statement.text += holds ? " and " : " or ";
    statement.text += Test(dialect, fields[i], tables, outer, holds);
  }
  statement.text += ")";
}

}  // namespace

void AppendMissingAny(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                      const RequiredTables& tables, std::string_view outer) {
  AppendTests(statement, dialect, fields, tables, outer, false);
}

void AppendHoldingAll(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                      const RequiredTables& tables, std::string_view outer) {
  AppendTests(statement, dialect, fields, tables, outer, true);
}

void AppendMissingFlags(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                        const RequiredTables& tables, std::string_view outer) {
  for (const RequiredField& field : fields) {
    statement.text += ", case when " + Test(dialect, field, tables, outer, false) + " then 1 else 0 end";
  }
}

}  // namespace tessarine
