#include "workflows/browse/CatalogueSearch.h"

#include <algorithm>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/ServerKind.h"
#include "catalogue/SqlLiterals.h"
#include "core/DatabaseError.h"
#include "core/ImageColumns.h"
#include "core/WindowTitle.h"
#include "workflows/browse/ContentCopies.h"
#include "workflows/browse/RequiredFields.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {
namespace {

// The view column holding the given images-table column (the view always holds both keys).
std::size_t ViewPosition(const std::vector<ViewColumn>& columns, std::size_t column) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].column == column) return i;
  }
  return 0;
}

// A search refused: the text shown to the user and handed back.
Status RefuseSearch(UserPort& port, const std::string& text) {
  port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  return Error(ErrorKind::Search, text);
}

// The filters on the facts and keywords tables; refused, with a message, where the catalogue lacks
// a table one needs.
Status SetCompanionConditions(CatalogueConnection& connection, UserPort& port, const TableName& imagesTable,
                              const SearchFilter& filter, CompanionConditions& conditions) {
  if (filter.takenFrom) conditions.takenFrom = filter.takenFrom->Dashed();
  if (filter.takenTo) conditions.takenTo = filter.takenTo->Dashed();
  conditions.cameraWords = SplitWords(filter.camera);
  conditions.near = filter.near;
  for (const std::string& keyword : filter.keywords) {
    if (!keyword.empty()) conditions.keywords.push_back(keyword);
  }
  if (!filter.digitalSource.empty()) conditions.digitalSource = filter.digitalSource;
  if (conditions.cameraWords.size() + conditions.keywords.size() > kMaxSearchWords) {
    return RefuseSearch(port, "A search takes at most " + std::to_string(kMaxSearchWords) +
                                  " camera words and keywords.");
  }
  const bool factsThere = TableExists(connection, FactsTableName(imagesTable));
  const bool keywordsThere = TableExists(connection, KeywordsTableName(imagesTable));
  if ((conditions.AnyFact() && !factsThere) || (!conditions.keywords.empty() && !keywordsThere)) {
    return RefuseSearch(port, std::string(kNoCompanionsToSearch));
  }
  if (factsThere) conditions.factsTable = FactsTableName(imagesTable);
  if (keywordsThere) conditions.keywordsTable = KeywordsTableName(imagesTable);
  if (filter.withCopies) {
    if (!TableExists(connection, HashesTableName(imagesTable))) {
      return RefuseSearch(port, std::string(kNoHashesToCompare));
    }
    conditions.hashesTable = HashesTableName(imagesTable);
    conditions.withCopies = true;
  }
  return {};
}

// The fields of an audit, their names in order to `names`, a field named again (by an alias) left
// out; refused, with a message, for a name that is no field, or a companion field where the
// catalogue lacks its table.
Status SetRequiredFields(UserPort& port, const Settings& settings, const SearchFilter& filter, SearchQuery& query,
                         std::vector<std::string>& names) {
  const auto refuse = [&](const std::string& text) { return RefuseSearch(port, text); };
  if (filter.missing.size() > kMaxSearchWords) {
    return refuse("An audit requires at most " + std::to_string(kMaxSearchWords) + " fields.");
  }
  for (const std::string& name : filter.missing) {
    const std::optional<RequiredField> field = FindRequiredField(name, settings.custom);
    if (!field) return refuse(UnknownFieldMessage(name));
    if ((field->table == RequiredField::Table::Facts && !query.companions.factsTable) ||
        (field->table == RequiredField::Table::Keywords && !query.companions.keywordsTable)) {
      return refuse(std::string(kNoCompanionsToSearch));
    }
    const auto same = [&](const RequiredField& taken) {
      return taken.table == field->table && taken.column == field->column;
    };
    if (std::ranges::any_of(query.missingAny, same)) continue;
    query.missingAny.push_back(*field);
    names.push_back(name);
  }
  return {};
}

}  // namespace

Expected<CatalogueSearch> CatalogueSearch::Start(CatalogueConnection& connection, UserPort& port,
                                                 const Settings& settings, const SearchFilter& filter, ViewSort sort,
                                                 bool* hintSaid) {
  Expected<TableName> imagesTable = CheckedTableName(port, settings.images);
  if (!imagesTable) return imagesTable.GetError();

  std::vector<ViewColumn> columns = ViewColumnsOf(settings.custom);
  if (sort.viewColumn >= columns.size()) sort = {};
  SearchQuery query;
  for (const ViewColumn& column : columns) query.shownColumns.push_back(column.column);
  query.searchedColumns = SearchedColumnsOf(settings.custom);
  query.words = SplitWords(filter.words);
  if (query.words.size() > kMaxSearchWords) {
    const std::string text = "A search takes at most " + std::to_string(kMaxSearchWords) + " words; this one has " +
                             std::to_string(query.words.size()) + ".";
    port.Beep();
    return RefuseSearch(port, text).GetError();
  }
  if (TableExists(connection, WordsTableName(*imagesTable))) {
    query.wordsTable = WordsTableName(*imagesTable);
    query.wordsAsBytes = LikeFasterOverBytes(connection.DbmsName());
  } else if (!query.words.empty() && !(hintSaid != nullptr && *hintSaid)) {
    port.ShowMessage(kAccentBlindHint, MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
    if (hintSaid != nullptr) *hintSaid = true;
  }
  if (Status companions = SetCompanionConditions(connection, port, *imagesTable, filter, query.companions);
      !companions) {
    return companions.GetError();
  }
  std::vector<std::string> requiredNames;
  if (Status required = SetRequiredFields(port, settings, filter, query, requiredNames); !required) {
    return required.GetError();
  }
  if (filter.folder) query.folderKey = FolderKeyText(*filter.folder);
  if (filter.from) query.fromDay = filter.from->Digits();
  if (filter.to) query.toDay = filter.to->Digits();
  query.sortColumn = columns[sort.viewColumn].column;
  query.descending = sort.descending;
  return CatalogueSearch(connection, port, settings.dbms, *imagesTable, std::move(columns), std::move(query),
                         sort.viewColumn, std::move(requiredNames), settings.folders);
}

CatalogueSearch::CatalogueSearch(CatalogueConnection& connection, UserPort& port, DbmsKind kind,
                                 TableName imagesTable, std::vector<ViewColumn> columns, SearchQuery query,
                                 std::size_t sortViewColumn, std::vector<std::string> missingNames,
                                 std::string foldersTable)
    : m_connection(&connection),
      m_port(&port),
      m_kind(kind),
      m_imagesTable(std::move(imagesTable)),
      m_columns(std::move(columns)),
      m_query(std::move(query)),
      m_sortViewColumn(sortViewColumn),
      m_missingNames(std::move(missingNames)),
      m_foldersTable(std::move(foldersTable)) {}

std::vector<std::string> CatalogueSearch::MissingIn(const ViewRow& row) const {
  std::vector<std::string> missing;
  for (std::size_t i = 0; i < m_missingNames.size() && m_columns.size() + i < row.size(); ++i) {
    if (row[m_columns.size() + i] == "1") missing.push_back(m_missingNames[i]);
  }
  return missing;
}

template <typename Read>
auto CatalogueSearch::Reported(Read read) -> Expected<decltype(read())> {
  try {
    return read();
  } catch (const DatabaseError& error) {
    ReportDatabaseError(*m_port, error);
    return Error(error);
  }
}

std::vector<ViewRow> CatalogueSearch::ReadRows(const SqlStatement& select) {
  std::vector<ViewRow> rows;
  auto result = m_connection->ExecuteStatement(select, CursorChoice::ForwardOnly);
  for (; result && !result->IsEof(); result->MoveNext()) {
    ViewRow& row = rows.emplace_back();
    const std::size_t fields = m_columns.size() + m_query.missingAny.size();
    row.reserve(fields);
    for (std::size_t i = 0; i < fields; ++i) row.push_back(result->FieldValue(i));
  }
  return rows;
}

void CatalogueSearch::ReadKeysOfFewMatches() {
  if (m_keysTried) return;
  m_keysTried = true;
  const SqlDialect& dialect = SqlDialectFor(m_kind);
  std::optional<SqlStatement> select;
  if (m_fewMatches <= 0) return;
  if (SearchesOneCompanionTable(m_query)) {
    select = SelectCompanionMatchKeys(dialect, m_query, m_fewMatches + 1);
  } else if (m_query.wordsTable && !m_query.words.empty() && !m_query.searchedColumns.empty() && !m_query.fromDay &&
             !m_query.toDay && !m_query.companions.Any() && m_query.missingAny.empty()) {
    select = SelectMatchKeys(dialect, m_query, m_fewMatches + 1);
  } else {
    return;
  }
  std::vector<RowKey> keys;
  auto result = m_connection->ExecuteStatement(*select, CursorChoice::ForwardOnly);
  for (; result && !result->IsEof(); result->MoveNext()) {
    keys.push_back({result->FieldValue(0).value_or(""), result->FieldValue(1).value_or("")});
  }
  if (static_cast<long long>(keys.size()) > m_fewMatches) return;
  m_counted = static_cast<long long>(keys.size());
  m_query.matchKeys = std::move(keys);
}

Expected<long long> CatalogueSearch::Count() {
  return Reported([&] {
    ReadKeysOfFewMatches();
    if (m_query.matchKeys) return *m_counted;
    const std::optional<std::string> count =
        m_connection->FirstValue(CountMatches(m_imagesTable, SqlDialectFor(m_kind), m_query));
    m_counted = count ? std::stoll(*count) : 0LL;
    // Counted, a keyword alone is known to be held by few files or many (see KeywordFilesByKeyUnion):
    // at most kFewKeywordFiles, the union costs at most about 0.15 s, and a walk could cost more.
    // Within a folder the count says nothing of the files elsewhere that the union would read.
    m_query.companions.keywordFilesByUnion = SearchesOneCompanionTable(m_query) && !m_query.folderKey &&
                                             !m_query.companions.keywords.empty() &&
                                             *m_counted <= kFewKeywordFiles &&
                                             KeywordFilesByKeyUnion(m_connection->DbmsName());
    return *m_counted;
  });
}

Expected<std::vector<ViewRow>> CatalogueSearch::Page(long long k, long long pageSize) {
  if (k < 0 || pageSize <= 0) return std::vector<ViewRow>{};
  return Reported([&] {
    ReadKeysOfFewMatches();
    if (NothingMatched()) return std::vector<ViewRow>{};
    return ReadRows(SelectMatchPage(m_imagesTable, SqlDialectFor(m_kind), m_query, k * pageSize, pageSize));
  });
}

Expected<std::vector<CatalogueSearch::KeywordCount>> CatalogueSearch::KeywordCounts(long long count) {
  return Reported([&] {
    std::vector<KeywordCount> counts;
    if (!m_query.companions.keywordsTable) return counts;
    ReadKeysOfFewMatches();
    if (NothingMatched()) return counts;
    const SqlStatement select =
        SelectKeywordCounts(m_imagesTable, *m_query.companions.keywordsTable, SqlDialectFor(m_kind), m_query, count);
    auto result = m_connection->ExecuteStatement(select, CursorChoice::ForwardOnly);
    for (; result && !result->IsEof(); result->MoveNext()) {
      counts.push_back({result->FieldValue(0).value_or(""), std::stoll(result->FieldValue(1).value_or("0"))});
    }
    return counts;
  });
}

Expected<std::vector<ViewRow>> CatalogueSearch::PageAfter(const ViewRow* last, long long pageSize) {
  if (pageSize <= 0) return std::vector<ViewRow>{};
  std::optional<SortPosition> after;
  if (last != nullptr) {
    auto value = [&](std::size_t position) { return (*last)[position].value_or(""); };
    after = SortPosition{value(m_sortViewColumn), value(ViewPosition(m_columns, col::Folder)),
                         value(ViewPosition(m_columns, col::FileName))};
  }
  return Reported([&] {
    ReadKeysOfFewMatches();
    if (NothingMatched()) return std::vector<ViewRow>{};
    return ReadRows(SelectMatchesAfter(m_imagesTable, SqlDialectFor(m_kind), m_query, after, pageSize));
  });
}

Status CatalogueSearch::MakeView(const TableName& view) {
  const auto refuse = [&](const std::string& text) { return RefuseSearch(*m_port, text); };
  for (const std::string& own :
       {m_imagesTable.Text(), WordsTableName(m_imagesTable).Text(), FactsTableName(m_imagesTable).Text(),
        KeywordsTableName(m_imagesTable).Text(), HashesTableName(m_imagesTable).Text(), m_foldersTable}) {
    if (SameIgnoringCase(own, view.Text())) {
      return refuse("'" + view.Text() + "' names a table of this catalogue: a view needs a name of its own.");
    }
  }
  SearchQuery query = m_query;
  query.matchKeys.reset();  // the keys of this moment's matches: the view finds its own
  const SqlDialect& dialect = SqlDialectFor(m_kind);
  const std::optional<std::string> select = WithValuesWritten(SelectMatchRows(m_imagesTable, dialect, query),
                                                              TextLiteralStyleOf(m_kind, m_connection->DbmsName()));
  if (!select) return refuse("This search cannot be written as a view: a value of it holds a NUL character.");
  const bool inTransaction = TableChangesRollBack(m_connection->DbmsName()) && dialect.transactionStart;
  Status status;
  if (inTransaction) status = SendOrReport(*m_connection, *m_port, std::string(*dialect.transactionStart));
  for (const std::string& statement : ViewStatements(view, *select, inTransaction)) {
    if (status) status = SendOrReport(*m_connection, *m_port, statement);
  }
  if (status && inTransaction) status = SendOrReport(*m_connection, *m_port, std::string(*dialect.transactionEnd));
  if (!status && inTransaction) SendIgnoringErrors(*m_connection, SqlStatement("rollback;"));
  return status;
}

}  // namespace tessarine
