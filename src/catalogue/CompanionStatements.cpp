#include "catalogue/CompanionStatements.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/ScanStatements.h"
#include "core/ValueBound.h"

namespace tessarine {
namespace {

std::string_view FactType(FactKind kind, const SqlDialect& dialect) {
  switch (kind) {
    case FactKind::Text:
      return "varchar(255)";
    case FactKind::Real:
      return "double precision";
    case FactKind::Integer:
      return "integer";
    case FactKind::LongText:
      break;
  }
  return dialect.longTextType;
}

std::string KeysFollow(const TableName& imagesTable, const SqlDialect& dialect) {
  return "foreign key(Folder,FileName) references " + imagesTable.Text() + "(Folder,FileName)" +
         std::string(dialect.keyFollowsRow);
}

std::string IndexStatement(const TableName& imagesTable, std::string_view suffix, const TableName& table,
                           std::string_view columns) {
  return "create index " + DerivedTableName(imagesTable, suffix).Text() + " on " + table.Text() + "(" +
         std::string(columns) + ");";
}

std::string Marks(std::size_t count) {
  std::string marks = "(";
  for (std::size_t i = 0; i < count; ++i) marks += i == 0 ? "?" : ",?";
  return marks + ")";
}

void BindFact(SqlStatement& statement, FactKind kind, std::string value, std::size_t longTextBytes) {
  if (value.empty()) {
    statement.BindNull();
    return;
  }
  switch (kind) {
    case FactKind::Real:
      statement.BindReal(value);
      return;
    case FactKind::Integer:
      statement.BindInteger(value);
      return;
    case FactKind::LongText:
      CutToBound(value, longTextBytes);
      break;
    case FactKind::Text:
      CutToBound(value, kKeywordBytes);
      break;
  }
  statement.Bind(value);
}

// Rows of `count` values each, sent in statements of a power of two rows, at most maxValues values
// (one row each when a row's pass maxValues): the largest first, then the rest by its binary
// digits. A statement's text then depends on its number of rows alone, and few numbers occur: a
// statement prepared once serves the rows of folder after folder.
class MultiRowInsert {
 public:
  // `columns`: the columns the values fill, in their order; all of the table's when empty.
  MultiRowInsert(const TableName& table, std::size_t count, std::size_t maxValues, const std::string& columns = {})
      : m_start("insert into " + table.Text() + (columns.empty() ? "" : " (" + columns + ")") + " values"),
        m_marks(Marks(count)),
        m_count(count) {
    while (m_maxRows * 2 * count <= maxValues) m_maxRows *= 2;
  }

  // Where the next row's values are bound: `count` of them.
  SqlStatement& NextRow() {
    ++m_rows;
    return m_values;
  }
  std::vector<SqlStatement> Statements() {
    std::vector<SqlStatement> statements;
    std::size_t sent = 0;
    for (std::size_t rows = m_maxRows; rows > 0; rows /= 2) {
      while (m_rows - sent >= rows) {
        SqlStatement& statement = statements.emplace_back(m_start);
        for (std::size_t r = 0; r < rows; ++r) statement.text += (r == 0 ? "" : ",") + m_marks;
        statement.text += ";";
        const auto first = m_values.values.begin() + static_cast<std::ptrdiff_t>(sent * m_count);
        statement.values.assign(std::make_move_iterator(first),
                                std::make_move_iterator(first + static_cast<std::ptrdiff_t>(rows * m_count)));
        sent += rows;
        if (rows < m_maxRows) break;  // each smaller number at most once
      }
    }
    return statements;
  }

 private:
  std::string m_start;
  std::string m_marks;
  std::size_t m_count;
  std::size_t m_maxRows = 1;
  std::size_t m_rows = 0;
  SqlStatement m_values;
};

}  // namespace

TableName FactsTableName(const TableName& imagesTable) { return DerivedTableName(imagesTable, "_facts"); }

TableName KeywordsTableName(const TableName& imagesTable) { return DerivedTableName(imagesTable, "_keywords"); }

TableName HashesTableName(const TableName& imagesTable) { return DerivedTableName(imagesTable, "_hashes"); }

std::vector<std::string> FactsTableStatements(const TableName& imagesTable, const SqlDialect& dialect) {
  const TableName facts = FactsTableName(imagesTable);
  std::string factsTable = "create table " + facts.Text() + " (Folder varchar(255) not null,FileName varchar(255) not null,";
  for (const FactColumn& column : kFactColumns) {
    factsTable += std::string(column.name) + " " + std::string(FactType(column.kind, dialect)) + ",";
  }
  factsTable += "primary key(Folder,FileName)," + KeysFollow(imagesTable, dialect) + ");";
  return {factsTable, IndexStatement(imagesTable, "_taken", facts, "DateTaken"),
          IndexStatement(imagesTable, "_place", facts, "Latitude,Longitude")};
}

std::vector<std::string> KeywordsTableStatements(const TableName& imagesTable, const SqlDialect& dialect) {
  const TableName keywords = KeywordsTableName(imagesTable);
  const std::string keywordsTable =
      "create table " + keywords.Text() +
      " (Folder varchar(255) not null,FileName varchar(255) not null,Item integer not null,Keyword varchar(255) not "
      "null,Leaf varchar(255) not null,Depth integer not null,primary key(Folder,FileName,Item)," +
      KeysFollow(imagesTable, dialect) + ");";
  return {keywordsTable, IndexStatement(imagesTable, "_keyword", keywords, "Keyword"),
          IndexStatement(imagesTable, "_leaf", keywords, "Leaf")};
}

std::vector<std::string> HashesTableStatements(const TableName& imagesTable, const SqlDialect& dialect) {
  const TableName hashes = HashesTableName(imagesTable);
  const std::string hashesTable = "create table " + hashes.Text() +
                                  " (Folder varchar(255) not null,FileName varchar(255) not null,ContentHash char(32) "
                                  "not null,primary key(Folder,FileName)," +
                                  KeysFollow(imagesTable, dialect) + ");";
  return {hashesTable, IndexStatement(imagesTable, "_content", hashes, "ContentHash")};
}

std::vector<CompanionTable> CompanionTablesOf(const TableName& imagesTable, const SqlDialect& dialect) {
  return {{FactsTableName(imagesTable), FactsTableStatements(imagesTable, dialect)},
          {KeywordsTableName(imagesTable), KeywordsTableStatements(imagesTable, dialect)},
          {HashesTableName(imagesTable), HashesTableStatements(imagesTable, dialect)}};
}

SqlStatement DeleteKeyRows(const TableName& table, const ColumnValues& columns) {
  return SqlStatement("delete from " + table.Text() + " where Folder=? and FileName=?;")
      .Bind(KeyText(columns[col::Folder]))
      .Bind(KeyText(columns[col::FileName]));
}

SqlStatement DeleteOrphanRows(const TableName& table, const TableName& imagesTable, std::string_view folderKeyText) {
  const std::string& name = table.Text();
  const std::string& images = imagesTable.Text();
  return SqlStatement("delete from " + name + " where Folder=? and not exists(select 1 from " + images + " where " +
                      images + ".Folder=" + name + ".Folder and " + images + ".FileName=" + name + ".FileName);")
      .Bind(folderKeyText);
}

std::vector<SqlStatement> InsertFactsRows(const TableName& factsTable, std::span<const KeyedCompanions> rows,
                                          std::size_t longTextBytes, std::size_t maxValues) {
  // Only the facts some row holds are named: the others are NULL all the same, and fewer values are
  // read faster (the embedded catalogue's driver compiles a statement each time it runs).
  std::array<bool, kFactCount> held{};
  for (const KeyedCompanions& row : rows) {
    for (std::size_t f = 0; f < kFactCount; ++f) held[f] = held[f] || !row.companions.facts[f].empty();
  }
  std::string columns = "Folder, FileName";
  for (std::size_t f = 0; f < kFactCount; ++f) {
    if (held[f]) columns += ", " + std::string(kFactColumns[f].name);
  }
  MultiRowInsert insert(factsTable, 2 + static_cast<std::size_t>(std::count(held.begin(), held.end(), true)), maxValues,
                        columns);
  for (const KeyedCompanions& row : rows) {
    if (!row.companions.HasFacts()) continue;
    SqlStatement& statement = insert.NextRow();
    statement.Bind(KeyText(row.folder)).Bind(KeyText(row.fileName));
    for (std::size_t f = 0; f < kFactCount; ++f) {
      if (held[f]) BindFact(statement, kFactColumns[f].kind, row.companions.facts[f], longTextBytes);
    }
  }
  return insert.Statements();
}

std::vector<SqlStatement> InsertKeywordsRows(const TableName& keywordsTable, std::span<const KeyedCompanions> rows,
                                             std::size_t maxValues) {
  MultiRowInsert insert(keywordsTable, kKeywordRowValues, maxValues);
  for (const KeyedCompanions& row : rows) {
    const std::vector<KeywordEntry>& keywords = row.companions.keywords;
    for (std::size_t k = 0; k < keywords.size(); ++k) {
      insert.NextRow()
          .Bind(KeyText(row.folder))
          .Bind(KeyText(row.fileName))
          .BindInteger(std::to_string(k))
          .Bind(keywords[k].keyword)
          .Bind(keywords[k].leaf)
          .BindInteger(std::to_string(keywords[k].depth));
    }
  }
  return insert.Statements();
}

std::vector<SqlStatement> InsertHashRows(const TableName& hashesTable, std::span<const KeyedCompanions> rows,
                                         std::size_t maxValues) {
  MultiRowInsert insert(hashesTable, kHashRowValues, maxValues);
  for (const KeyedCompanions& row : rows) {
    if (row.companions.contentHash.empty()) continue;
    insert.NextRow().Bind(KeyText(row.folder)).Bind(KeyText(row.fileName)).Bind(row.companions.contentHash);
  }
  return insert.Statements();
}

SqlStatement SelectSharedHashes(const TableName& hashesTable) {
  const std::string& hashes = hashesTable.Text();
  return SqlStatement("select ContentHash, Folder, FileName from " + hashes + " where ContentHash in (select ContentHash from " +
                      hashes + " group by ContentHash having count(*) > 1) order by ContentHash, Folder, FileName;");
}

SqlStatement CountUnhashedRows(const TableName& imagesTable, const TableName& hashesTable) {
  const std::string& images = imagesTable.Text();
  const std::string& hashes = hashesTable.Text();
  return SqlStatement("select count(*) from " + images + " where not exists (select 1 from " + hashes + " where " +
                      hashes + ".Folder = " + images + ".Folder and " + hashes + ".FileName = " + images +
                      ".FileName);");
}

SqlStatement SelectCopiesOf(const TableName& hashesTable, const std::string& folderKey, const std::string& fileKey) {
  const std::string& hashes = hashesTable.Text();
  return SqlStatement("select c.Folder, c.FileName from " + hashes + " t join " + hashes +
                      " c on c.ContentHash = t.ContentHash where t.Folder = ? and t.FileName = ? and (c.Folder <> "
                      "t.Folder or c.FileName <> t.FileName) order by c.Folder, c.FileName;")
      .Bind(folderKey)
      .Bind(fileKey);
}

}  // namespace tessarine
