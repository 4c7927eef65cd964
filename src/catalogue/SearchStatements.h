#pragma once
// The statements of a search of the images table: how many rows match, and one page of them in a
// total order. Columns are named by their index in ImageColumns(), so no text of the user ever
// becomes SQL text; the words, the folder and the dates are bound.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CompanionSearch.h"
#include "catalogue/MissingFields.h"
#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/TableName.h"

namespace tessarine {

// The key of an images row.
struct RowKey {
  std::string folder;
  std::string fileName;
};

struct SearchQuery {
  std::vector<std::size_t> shownColumns;     // selected, in this order
  std::vector<std::size_t> searchedColumns;  // where the words are looked for
  // Each word must occur (as a substring, ASCII letter case ignored; other letters as the server's
  // lower() takes them) in at least one searched column.
  std::vector<std::string> words;
  // The images table's words table (RowWords), when the catalogue has one: each word is then looked
  // for folded (FoldForSearch), accent- and case-blind, in the row's words instead.
  std::optional<TableName> wordsTable;
  // The words compared as bytes (both sides folded, so bytes meet where characters do): MariaDB and
  // MySQL take about half the time over a column of text that way.
  bool wordsAsBytes = false;
  // The keys of every match, when they were read first (SelectMatchKeys, SelectCompanionMatchKeys)
  // under every other condition of the query: the statements then read only those rows, each by its
  // key, and test no other condition again.
  std::optional<std::vector<RowKey>> matchKeys;
  // The Folder key of a folder (KeyText form, one trailing "/"): rows of it and of its subfolders.
  std::optional<std::string> folderKey;
  // Bounds on CreatedDate as eight digits CCYYMMDD, both inclusive (see DateRangeCondition).
  std::optional<std::string> fromDay;
  std::optional<std::string> toDay;
  CompanionConditions companions;
  // Rows that lack at least one of these (an audit); each row of a page then ends with a flag per
  // field, in order, "1" where the row lacks it and "0" where not. The companion tables a field
  // needs are those of `companions`.
  std::vector<RequiredField> missingAny;
  std::size_t sortColumn = 0;  // the rows' order: this column, then Folder and FileName
  bool descending = false;     // for the sort column; the key always ascends
};

// The LIKE pattern, for "escape '!'", of text containing the word: the word with "!", "%" and "_"
// each preceded by "!", between two "%". "!" stands where "\" would: MySQL and MariaDB read a
// backslash in a string literal as an escape of its own.
std::string ContainsPattern(std::string_view word);

// The keys of at most `count` rows of the words table that hold each folded word and lie in the
// query's folder, in no order; for a query with words and a words table. One pass over the words
// table names every match where they are few, where a page in the query's order would walk the
// images table in that order to the last of them.
SqlStatement SelectMatchKeys(const SqlDialect& dialect, const SearchQuery& query, long long count);

// Whether the query's matches are the rows of one companion table (SoleCompanionTable), in its
// folder if it has one: no words, no dates of the images table, no audit, no keys read.
bool SearchesOneCompanionTable(const SearchQuery& query);

// For such a query: the keys of at most `count` matches, read from that companion table alone, in no
// order. Where they are few, a page reads just those rows rather than walk the images table in its
// order to find them.
SqlStatement SelectCompanionMatchKeys(const SqlDialect& dialect, const SearchQuery& query, long long count);

// "select count(*) from <images> where ...;" (from the companion table alone where the query
// searches one)
SqlStatement CountMatches(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query);

// Rows offset+1 .. offset+count of the matches in the query's order.
SqlStatement SelectMatchPage(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query,
                             long long offset, long long count);

// The keywords of the matches (see KeywordsTableName) with the number of matches holding each, most
// held first, then by keyword: at most `count` of them.
SqlStatement SelectKeywordCounts(const TableName& imagesTable, const TableName& keywordsTable,
                                 const SqlDialect& dialect, const SearchQuery& query, long long count);

// Where a row stands in the order: its sort column's value (NULL read as ""), Folder and FileName.
struct SortPosition {
  std::string sortValue;
  std::string folder;
  std::string fileName;
};

// The first `count` matches that come after the given position in the query's order (from the first
// match without one). Each page costs the same however deep it lies: the way to read every match.
SqlStatement SelectMatchesAfter(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query,
                                const std::optional<SortPosition>& after, long long count);

// "select * from <images> where ...", with no ";": every match in no order, with the columns of the
// images table, for a view. A query with matchKeys would freeze the matches of one moment: not one.
SqlStatement SelectMatchRows(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query);

// The statements that make `view` select what `select` selects, in place of a view of that name:
// "drop view if exists" and "create view", to be sent in one transaction where the server's
// transactions hold them (dropFirst), else one "create or replace view". A table of that name is
// never dropped: each statement fails on it.
std::vector<std::string> ViewStatements(const TableName& view, std::string_view select, bool dropFirst);

}  // namespace tessarine
