#pragma once
// One search of the catalogue as the view and the find command read it: the view's columns, the
// number of matches and the matches page by page, in the order of a view column with ties broken by
// the key (Folder, FileName), so pages neither skip nor repeat a row while the table stays as it is.
// Works on a connection the caller opened; every database error is reported to the user port and
// handed back.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/SearchStatements.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/TableName.h"
#include "core/UserPort.h"
#include "workflows/browse/SearchFilter.h"
#include "workflows/browse/ViewColumns.h"

namespace tessarine {

// Said by a search for words in a catalogue without the words table.
inline constexpr std::string_view kAccentBlindHint =
    "This catalogue finds words only with their accents as written. \"tessarine db create --images\" (or "
    "\"Create table\" for the images table on the tables tab) makes it accent- and case-blind: \"reykjavik\" then "
    "finds \"Reykjavík\". That empties the images table: scan again after it.";

struct ViewSort {
  std::size_t viewColumn = 0;  // position in the view's columns; the first (Folder) by default
  bool descending = false;
};

// One match: a value per view column, in view order; std::nullopt for SQL NULL.
using ViewRow = std::vector<std::optional<std::string>>;

inline constexpr std::string_view kNoCompanionsToSearch =
    "This catalogue has no tables for the dates, cameras, places and keywords of its photos to search by: "
    "\"tessarine db create --companions\" adds them, and a scan fills them.";

class CatalogueSearch {
 public:
  // A search of the settings' images table, taken through CheckedTableName (a refused name is
  // reported and returned). A sort column beyond the view's columns sorts by the first. Words are
  // looked for accent- and case-blind where the catalogue has the images table's words table; a
  // search for words in a catalogue without one says so (kAccentBlindHint) unless *hintSaid, which
  // it then sets: once per session of the caller.
  static Expected<CatalogueSearch> Start(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                         const SearchFilter& filter, ViewSort sort = {}, bool* hintSaid = nullptr);

  const std::vector<ViewColumn>& Columns() const { return m_columns; }

  // The fields of SearchFilter::missing the row lacks, named as the filter named them (a field
  // named twice, by another name, counts once, by its first).
  std::vector<std::string> MissingIn(const ViewRow& row) const;
  // Those fields, each once.
  const std::vector<std::string>& RequiredNames() const { return m_missingNames; }

  // A search for words through the words table (and no dates), or one by a single companion table
  // (SearchesOneCompanionTable), first reads the keys of up to this many matches in one pass over
  // that table; where that finds every match, the count is theirs
  // and the pages read just those rows. Fewer matches would have the page walk most of the images
  // table in the view's order to find them; more are met soon enough by that walk.
  static constexpr long long kFewMatches = 1000;
  static constexpr long long kFewKeywordFiles = 10'000;
  // For tests: another bound than kFewMatches (0: never read the keys first).
  void SetFewMatches(long long few) { m_fewMatches = few; }

  // The number of matches.
  Expected<long long> Count();

  // Page k (from 0) of pageSize rows: rows k*pageSize+1 .. in order. For a view that jumps to a
  // page; a page costs more the deeper it lies (the server counts off the rows before it).
  Expected<std::vector<ViewRow>> Page(long long k, long long pageSize);

  // The keywords of the matches, each with the number of matches that hold it, the most held first:
  // at most `count`; none where the catalogue has no keywords table.
  struct KeywordCount {
    std::string keyword;
    long long matches = 0;
  };
  Expected<std::vector<KeywordCount>> KeywordCounts(long long count);

  // Makes the search a view of the catalogue named `view`, for other programs to read: the same
  // matches, kept up to date by the server, with the images table's columns. A view of that name is
  // replaced; a table never: the names of the catalogue's own tables are refused here, any other
  // table's by the server. Every failure is reported.
  Status MakeView(const TableName& view);

  // The pageSize matches that follow `last` (a row this search gave), from the first without one.
  // Reading on from the last row of each page meets every match once, at the same cost per page
  // however deep: how every match is read (the export, the command).
  Expected<std::vector<ViewRow>> PageAfter(const ViewRow* last, long long pageSize);

 private:
  CatalogueSearch(CatalogueConnection& connection, UserPort& port, DbmsKind kind, TableName imagesTable,
                  std::vector<ViewColumn> columns, SearchQuery query, std::size_t sortViewColumn,
                  std::vector<std::string> missingNames, std::string foldersTable);

  template <typename Read>
  auto Reported(Read read) -> Expected<decltype(read())>;
  std::vector<ViewRow> ReadRows(const SqlStatement& select);
  // Once per search, before its first statement: the keys of every match where they are few.
  void ReadKeysOfFewMatches();

  CatalogueConnection* m_connection;
  UserPort* m_port;
  DbmsKind m_kind;
  TableName m_imagesTable;
  std::vector<ViewColumn> m_columns;
  SearchQuery m_query;
  std::size_t m_sortViewColumn;
  std::vector<std::string> m_missingNames;  // one a field of m_query.missingAny
  std::string m_foldersTable;               // as the settings name it
  // The count, once asked for. A search that matched nothing reads no page: on a server that
  // walks the table in key order to fill one, that walk costs more than the count.
  std::optional<long long> m_counted;
  long long m_fewMatches = kFewMatches;
  bool m_keysTried = false;
  bool NothingMatched() const { return m_counted == 0; }
};

}  // namespace tessarine
