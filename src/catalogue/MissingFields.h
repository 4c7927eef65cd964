#pragma once
// The fields a desk requires of every photo before it goes out, and the SQL that finds the rows
// lacking them. A text counts as missing when it is NULL, empty or only spaces (Oracle stores an
// empty text as NULL, so every test here is written to give the same answer there).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/TableName.h"

namespace tessarine {

struct RequiredField {
  enum class Table {
    Images,    // a column of the images table
    Facts,     // a column of the facts table: missing also where the file has no facts row
    Keywords,  // any keyword of the file, flat or a level of a hierarchy
  };
  Table table = Table::Images;
  std::string column;    // Images and Facts: the column's name
  bool numeric = false;  // a number: missing only as NULL
};

// Where the required companion fields are looked up; set for the fields that need them.
struct RequiredTables {
  std::optional<TableName> facts;
  std::optional<TableName> keywords;
};

// "(<lacks field 1> or <lacks field 2> ...)" for the rows of `outer` (the images table's name or
// alias in the statement); for at least one field.
void AppendMissingAny(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                      const RequiredTables& tables, std::string_view outer);

// "(<holds field 1> and <holds field 2> ...)": the rows of `outer` holding every field; for at
// least one field.
void AppendHoldingAll(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                      const RequiredTables& tables, std::string_view outer);

// ", case when <lacks field> then 1 else 0 end" for each field, in order: a select list's flags.
void AppendMissingFlags(SqlStatement& statement, const SqlDialect& dialect, const std::vector<RequiredField>& fields,
                        const RequiredTables& tables, std::string_view outer);

}  // namespace tessarine
