#pragma once
// The images table's companion tables (see CompanionRow): the facts table, one row a file that
// has facts, and the keywords table, one row a keyword. Their keys point at the images row: they go
// with it when it is deleted and follow it when its key is spelt anew.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/CompanionValues.h"
#include "core/ImageColumns.h"
#include "core/TableName.h"

namespace tessarine {

// "<images>_facts" and "<images>_keywords" (see DerivedTableName).
TableName FactsTableName(const TableName& imagesTable);
TableName KeywordsTableName(const TableName& imagesTable);

// Each table with its indexes (date taken, position; keyword, leaf), in the order they are made.
std::vector<std::string> FactsTableStatements(const TableName& imagesTable, const SqlDialect& dialect);
std::vector<std::string> KeywordsTableStatements(const TableName& imagesTable, const SqlDialect& dialect);

// "delete from <table> where Folder=? and FileName=?;" a companion table's rows of the row's keys.
SqlStatement DeleteKeyRows(const TableName& table, const ColumnValues& columns);

// "delete from <table> where Folder=? and not exists(select 1 from <images> where ...);" the rows
// of a folder's files whose images row is gone.
SqlStatement DeleteOrphanRows(const TableName& table, const TableName& imagesTable, std::string_view folderKeyText);

// "insert into <facts> values(?,...),(...);" the facts of the rows that have any (none: nullopt);
// a fact missing is NULL, a long text cut to longTextBytes. "insert or replace" when replacing.
std::optional<SqlStatement> InsertFactsRows(const TableName& factsTable, std::span<const ColumnValues> rows,
                                            std::span<const CompanionRow> companions, std::size_t longTextBytes,
                                            bool replacing = false);

// "insert into <keywords> values(?,?,?,?,?,?),...;" each keyword of the rows with the rows' keys and
// its place in the file's list, in statements of a power of two rows, the most within maxValues
// values first (one row each when a row's pass maxValues).
std::vector<SqlStatement> InsertKeywordsRows(const TableName& keywordsTable, std::span<const ColumnValues> rows,
                                             std::span<const CompanionRow> companions, std::size_t maxValues);

}  // namespace tessarine
