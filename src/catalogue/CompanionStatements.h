#pragma once
// The images table's companion tables (see CompanionRow): the facts table, one row a file that
// has facts, the keywords table, one row a keyword, and the hashes table, one row a hashed file. Their keys point at the images row: they go
// with it when it is deleted and follow it when its key is spelt anew.

#include <span>
#include <string>
#include <vector>

#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/CompanionValues.h"
#include "core/ImageColumns.h"
#include "core/TableName.h"

namespace tessarine {

// "<images>_facts", "<images>_keywords" and "<images>_hashes" (see DerivedTableName).
TableName FactsTableName(const TableName& imagesTable);
TableName KeywordsTableName(const TableName& imagesTable);
TableName HashesTableName(const TableName& imagesTable);

// Each table with its indexes (date taken, position; keyword, leaf; hash), in the order they are made.
std::vector<std::string> FactsTableStatements(const TableName& imagesTable, const SqlDialect& dialect);
std::vector<std::string> KeywordsTableStatements(const TableName& imagesTable, const SqlDialect& dialect);
std::vector<std::string> HashesTableStatements(const TableName& imagesTable, const SqlDialect& dialect);

// The facts, keywords and hashes tables with the statements that make each, in that order.
struct CompanionTable {
  TableName name;
  std::vector<std::string> statements;
};
std::vector<CompanionTable> CompanionTablesOf(const TableName& imagesTable, const SqlDialect& dialect);

// A file's companion rows with the keys of its images row (as the images table's columns hold them).
struct KeyedCompanions {
  std::string folder;
  std::string fileName;
  CompanionRow companions;
};

// "delete from <table> where Folder=? and FileName=?;" a companion table's rows of the row's keys.
SqlStatement DeleteKeyRows(const TableName& table, const ColumnValues& columns);

// "delete from <table> where Folder=? and not exists(select 1 from <images> where ...);" the rows
// of a folder's files whose images row is gone.
SqlStatement DeleteOrphanRows(const TableName& table, const TableName& imagesTable, std::string_view folderKeyText);

// The statements below send their rows several at a time: in statements of a power of two rows and
// at most maxValues values (one row each when a row's pass maxValues), the largest first, so that a
// statement's text depends on its number of rows alone and repeats from folder to folder.

// "insert into <facts> (Folder, FileName, <facts>) values(?,...),(...);" the facts of the rows that
// have any, naming the facts some row holds; a fact missing is NULL, a long text cut to
// longTextBytes.
// The most values a row takes in those statements.
inline constexpr std::size_t kFactsRowValues = 2 + kFactCount;
inline constexpr std::size_t kKeywordRowValues = 6;  // Folder, FileName, Item, Keyword, Leaf, Depth

std::vector<SqlStatement> InsertFactsRows(const TableName& factsTable, std::span<const KeyedCompanions> rows,
                                          std::size_t longTextBytes, std::size_t maxValues);

// "insert into <keywords> values(?,?,?,?,?,?),...;" each keyword of the rows with the rows' keys and
// its place in the file's list.
std::vector<SqlStatement> InsertKeywordsRows(const TableName& keywordsTable, std::span<const KeyedCompanions> rows,
                                             std::size_t maxValues);

// "insert into <hashes> values(?,?,?),...;" the content hash of each row that has one.
inline constexpr std::size_t kHashRowValues = 3;  // Folder, FileName, ContentHash
std::vector<SqlStatement> InsertHashRows(const TableName& hashesTable, std::span<const KeyedCompanions> rows,
                                         std::size_t maxValues);

// The files whose content hash another file shares: (ContentHash, Folder, FileName) in the order
// of the hash, then the key, so that each group of copies comes together.
SqlStatement SelectSharedHashes(const TableName& hashesTable);

// "select count(*) ..." the images rows that have no row in the hashes table.
SqlStatement CountUnhashedRows(const TableName& imagesTable, const TableName& hashesTable);

// (Folder, FileName) of the other files whose hash is that of the file of these keys, in key order.
SqlStatement SelectCopiesOf(const TableName& hashesTable, const std::string& folderKey, const std::string& fileKey);

}  // namespace tessarine
