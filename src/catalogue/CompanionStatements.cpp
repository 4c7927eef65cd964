#include "catalogue/CompanionStatements.h"

#include "catalogue/CatalogueStatements.h"
#include "catalogue/ScanStatements.h"
#include "core/ValueBound.h"

namespace tessarine {
namespace {

constexpr std::size_t kKeywordValues = 6;  // Folder, FileName, Item, Keyword, Leaf, Depth

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

}  // namespace

TableName FactsTableName(const TableName& imagesTable) { return DerivedTableName(imagesTable, "_facts"); }

TableName KeywordsTableName(const TableName& imagesTable) { return DerivedTableName(imagesTable, "_keywords"); }

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

std::optional<SqlStatement> InsertFactsRows(const TableName& factsTable, std::span<const ColumnValues> rows,
                                            std::span<const CompanionRow> companions, std::size_t longTextBytes,
                                            bool replacing) {
  SqlStatement statement;
  std::string text = (replacing ? "insert or replace into " : "insert into ") + factsTable.Text() + " values";
  bool any = false;
  for (std::size_t r = 0; r < rows.size() && r < companions.size(); ++r) {
    if (!companions[r].HasFacts()) continue;
    text += (any ? "," : "") + Marks(2 + kFactCount);
    any = true;
    statement.Bind(KeyText(rows[r][col::Folder])).Bind(KeyText(rows[r][col::FileName]));
    for (std::size_t f = 0; f < kFactCount; ++f) {
      BindFact(statement, kFactColumns[f].kind, companions[r].facts[f], longTextBytes);
    }
  }
  if (!any) return std::nullopt;
  statement.text = text + ";";
  return statement;
}

std::vector<SqlStatement> InsertKeywordsRows(const TableName& keywordsTable, std::span<const ColumnValues> rows,
                                             std::span<const CompanionRow> companions, std::size_t maxValues) {
  struct Entry {
    const ColumnValues* row;
    std::size_t item;
    const KeywordEntry* keyword;
  };
  std::vector<Entry> entries;
  for (std::size_t r = 0; r < rows.size() && r < companions.size(); ++r) {
    const std::vector<KeywordEntry>& keywords = companions[r].keywords;
    for (std::size_t k = 0; k < keywords.size(); ++k) entries.push_back({&rows[r], k, &keywords[k]});
  }
  // Statements of 1, 2, 4... rows, the most that fit first: a few texts serve every batch, each
  // prepared once.
  std::size_t most = 1;
  while (most * 2 * kKeywordValues <= maxValues) most *= 2;
  std::vector<SqlStatement> statements;
  for (std::size_t at = 0; at < entries.size();) {
    std::size_t count = most;
    while (count > entries.size() - at) count /= 2;
    SqlStatement statement("insert into " + keywordsTable.Text() + " values");
    for (std::size_t i = 0; i < count; ++i) {
      const Entry& entry = entries[at + i];
      statement.text += (i == 0 ? "" : ",") + Marks(kKeywordValues);
      statement.Bind(KeyText((*entry.row)[col::Folder]))
          .Bind(KeyText((*entry.row)[col::FileName]))
          .BindInteger(std::to_string(entry.item))
          .Bind(entry.keyword->keyword)
          .Bind(entry.keyword->leaf)
          .BindInteger(std::to_string(entry.keyword->depth));
    }
    statement.text += ";";
    statements.push_back(std::move(statement));
    at += count;
  }
  return statements;
}

}  // namespace tessarine
