#include "catalogue/SearchStatements.h"

#include <span>

#include "catalogue/ScanStatements.h"
#include "core/ImageColumns.h"
#include "core/SearchFolding.h"

namespace tessarine {
namespace {

std::string_view Name(std::size_t column) { return ImageColumns().at(column).name; }

bool IsKey(std::size_t column) { return column == col::Folder || column == col::FileName; }

// A column as it is compared and sorted: the keys as they stand (never NULL, and their index
// serves the key order), any other column with NULL read as "".
std::string SortExpression(const SqlDialect& dialect, std::size_t column) {
  if (IsKey(column)) return std::string(Name(column));
  return "coalesce(" + dialect.Comparable(Name(column)) + ", '')";
}

struct OrderTerm {
  std::string expression;
  bool descending;
};

// The sort column, then whichever key columns it is not: a total order, as the key is unique.
std::vector<OrderTerm> OrderTerms(const SqlDialect& dialect, const SearchQuery& query) {
  std::vector<OrderTerm> terms{{SortExpression(dialect, query.sortColumn), query.descending}};
  for (std::size_t key : {col::Folder, col::FileName}) {
    if (key != query.sortColumn) terms.push_back({std::string(Name(key)), false});
  }
  return terms;
}

// The values of a position, in the order of OrderTerms.
std::vector<std::string> PositionValues(const SearchQuery& query, const SortPosition& at) {
  if (query.sortColumn == col::Folder) return {at.folder, at.fileName};
  if (query.sortColumn == col::FileName) return {at.fileName, at.folder};
  return {at.sortValue, at.folder, at.fileName};
}

// One word: "(lower(C1) like lower(?) escape '!' or lower(C2) like ...)", or "(C1 like ? escape '!'
// or ...)" where LIKE ignores ASCII case by itself; either way other letters match in their own case
// at least.
void AppendWordCondition(SqlStatement& statement, const SqlDialect& dialect, const SearchQuery& query,
                         const std::string& word) {
  const std::string pattern = ContainsPattern(word);
  statement.text += "(";
  for (std::size_t i = 0; i < query.searchedColumns.size(); ++i) {
    if (i > 0) statement.text += " or ";
    const std::string column = dialect.Comparable(Name(query.searchedColumns[i]));
    statement.text += dialect.likeIgnoresAsciiCase ? column + " like ? escape '!'"
                                                   : "lower(" + column + ") like lower(?) escape '!'";
    statement.Bind(pattern);
  }
  statement.text += ")";
}

// Each folded word in the words table's Words: " where <words>.Words like ? escape '!' and ...".
void AppendWordsCondition(SqlStatement& statement, const SqlDialect& dialect, const SearchQuery& query) {
  const std::string words = query.wordsTable->Text() + ".Words";
  const std::string compared = query.wordsAsBytes ? "cast(" + words + " as binary)" : dialect.Comparable(words);
  for (std::size_t i = 0; i < query.words.size(); ++i) {
    statement.text += i == 0 ? " where " : " and ";
    statement.text += compared + " like ? escape '!'";
    statement.Bind(ContainsPattern(FoldForSearch(query.words[i])));
  }
}

// The rows of the folder (a Folder key) and its subfolders: "<folder> like ? escape '!'".
void AppendFolderCondition(SqlStatement& statement, const SqlDialect& dialect, const std::string& folderColumn,
                           const std::string& folderKey) {
  statement.text += folderColumn + " like ? escape '!'";
  statement.Bind(FolderTreePattern(folderKey));
  // Where LIKE ignores ASCII case, "/photos/trip/" would also take "/photos/Trip/", another
  // folder: the key must start the text as it stands (SQLite's "=" compares bytes).
  if (dialect.likeIgnoresAsciiCase) {
    statement.text += " and substr(" + folderColumn + ", 1, length(?)) = ?";
    statement.Bind(folderKey).Bind(folderKey);
  }
}

// "(Folder = ? and FileName = ?)" for each key, joined by "or" two halves at a time: the tree of a
// thousand keys is ten deep, where a chain would be a thousand (SQLite refuses an expression more
// than 1,000 deep).
void AppendKeysOf(SqlStatement& statement, std::span<const RowKey> keys) {
  if (keys.size() == 1) {
    statement.text += "(Folder = ? and FileName = ?)";
    statement.Bind(keys.front().folder).Bind(keys.front().fileName);
    return;
  }
  const std::size_t half = keys.size() / 2;
  statement.text += "(";
  AppendKeysOf(statement, keys.first(half));
  statement.text += " or ";
  AppendKeysOf(statement, keys.subspan(half));
  statement.text += ")";
}

// Any of the keys, or a condition no row meets for no key.
void AppendKeysCondition(SqlStatement& statement, const std::vector<RowKey>& keys) {
  if (keys.empty()) {
    statement.text += "1 = 0";
    return;
  }
  AppendKeysOf(statement, keys);
}

bool SearchesWordsTable(const SearchQuery& query) {
  return query.wordsTable && !query.words.empty() && !query.searchedColumns.empty();
}

// " from <images>"; where the words are looked for in the words table, the images rows whose words
// hold each folded word: " from (select <images>.* from <images> join <words> on <words>.Folder =
// <images>.Folder and <words>.FileName = <images>.FileName where <words>.Words like ? escape '!'
// and ...) m", which the rest of the statement reads as the images table itself.
void AppendFrom(SqlStatement& statement, const TableName& imagesTable, const SqlDialect& dialect,
                const SearchQuery& query) {
  const std::string& images = imagesTable.Text();
  if (!SearchesWordsTable(query) || query.matchKeys) {
    statement.text += " from " + images;
    return;
  }
  const std::string& words = query.wordsTable->Text();
  statement.text += " from (select " + images + ".* from " + images + " join " + words + " on " + words +
                    ".Folder = " + images + ".Folder and " + words + ".FileName = " + images + ".FileName";
  AppendWordsCondition(statement, dialect, query);
  statement.text += ") m";
}

// CreatedDate holds IIM's "CCYYMMDD" (a part unknown: "00") or XMP's "CCYY-MM-DD", "CCYY-MM" or
// "CCYY"; without its dashes it reads as 8, 6 or 4 digits, which compare as text in date order.
// A date that names only its year or month lies in the range when that year or month meets it:
// its digits are at most the upper bound (a prefix is less than what it starts), and at least the
// lower bound or that bound's own year or month, written either way.
void AppendDateCondition(SqlStatement& statement, const SqlDialect& dialect, const std::string& from,
                         const std::string& to) {
  const std::string digits = "replace(" + dialect.Comparable("CreatedDate") + ", '-', '')";
  statement.text += "(" + digits + " >= ? or " + digits + " in (?, ?, ?, ?)) and " + digits + " <= ?";
  statement.Bind(from)
      .Bind(from.substr(0, 4))
      .Bind(from.substr(0, 6))
      .Bind(from.substr(0, 4) + "0000")
      .Bind(from.substr(0, 6) + "00")
      .Bind(to);
}

// The images table's name or alias in a statement of the query (see AppendFrom).
std::string OuterName(const TableName& imagesTable, const SearchQuery& query) {
  return SearchesWordsTable(query) && !query.matchKeys ? "m" : imagesTable.Text();
}

std::string SelectList(const SearchQuery& query) {
  std::string list;
  for (std::size_t column : query.shownColumns) {
    if (!list.empty()) list += ",";
    list += Name(column);
  }
  return list;
}

RequiredTables RequiredTablesOf(const SearchQuery& query) {
  return {query.companions.factsTable, query.companions.keywordsTable};
}

// " from <companion table> t where 1 = 1 and ... [and <its folder>]", a row a match, for a query
// that SearchesOneCompanionTable.
void AppendCompanionMatches(SqlStatement& statement, const SqlDialect& dialect, const SearchQuery& query) {
  statement.text += " from " + SoleCompanionTable(query.companions)->Text() + " t where 1 = 1";
  AppendSoleTableTerms(statement, dialect, query.companions);
  if (query.folderKey) {
    statement.text += " and ";
    AppendFolderCondition(statement, dialect, "t.Folder", *query.folderKey);
  }
}

// The files holding the query's one keyword: those with it as a keyword, plus those with it as a
// leaf, less those with both. Each set is counted in the order of one index, where the form that
// keeps a file's first matching row looks every match up again (MariaDB: 0.4 s against 0.05 s for
// 23,000 of 10^5 files).
SqlStatement CountKeywordFiles(const SqlDialect& dialect, const SearchQuery& query) {
  const std::string& keywords = query.companions.keywordsTable->Text();
  const std::string& keyword = query.companions.keywords.front();
  SqlStatement statement("select a.n + b.n - c.n from ");
  const auto files = [&](const std::string& joined, const std::string& condition, int marks, const char* name) {
    statement.text += "(select count(*) n from (select t.Folder, t.FileName from " + keywords + " t" + joined +
                      " where " + condition;
    for (int i = 0; i < marks; ++i) statement.Bind(keyword);
    if (query.folderKey) {
      statement.text += " and ";
      AppendFolderCondition(statement, dialect, "t.Folder", *query.folderKey);
    }
    statement.text += " group by t.Folder, t.FileName) x) " + std::string(name);
  };
  files("", "t.Keyword = ?", 1, "a");
  statement.text += ", ";
  files("", "t.Leaf = ?", 1, "b");
  statement.text += ", ";
  files(" join " + keywords + " u on u.Folder = t.Folder and u.FileName = t.FileName", "t.Keyword = ? and u.Leaf = ?",
        2, "c");
  statement.text += ";";
  return statement;
}

// "select <shown columns>[, <a flag per required field>]"
SqlStatement SelectShown(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query) {
  SqlStatement statement("select " + SelectList(query));
  AppendMissingFlags(statement, dialect, query.missingAny, RequiredTablesOf(query), OuterName(imagesTable, query));
  return statement;
}

// " where ..." for the query's filters, or "" when it has none; true when it wrote a condition.
bool AppendWhere(SqlStatement& statement, const TableName& imagesTable, const SqlDialect& dialect,
                 const SearchQuery& query, bool counting = false) {
  bool first = true;
  auto next = [&] {
    statement.text += first ? " where " : " and ";
    first = false;
  };
  if (query.matchKeys) {  // read under every other condition
    next();
    AppendKeysCondition(statement, *query.matchKeys);
    return true;
  }
  if (!query.searchedColumns.empty() && !query.wordsTable) {
    for (const std::string& word : query.words) {
      next();
      AppendWordCondition(statement, dialect, query, word);
    }
  }
  if (query.folderKey) {
    next();
    AppendFolderCondition(statement, dialect, "Folder", *query.folderKey);
  }
  if (query.fromDay || query.toDay) {
    next();
    // An open end is the earliest or latest a date can be; an empty date stays out of any range.
    AppendDateCondition(statement, dialect, query.fromDay.value_or("00000000"), query.toDay.value_or("99999999"));
  }
  if (query.companions.Any()) {
    next();
    AppendCompanionConditions(statement, dialect, query.companions, OuterName(imagesTable, query), counting);
  }
  if (!query.missingAny.empty()) {
    next();
    AppendMissingAny(statement, dialect, query.missingAny, RequiredTablesOf(query), OuterName(imagesTable, query));
  }
  return !first;
}

// "(t1 > ? or (t1 = ? and (t2 > ? or (t2 = ? and t3 > ?))))", "<" for a descending term.
void AppendAfterCondition(SqlStatement& statement, const std::vector<OrderTerm>& terms,
                          const std::vector<std::string>& values) {
  std::string closing;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    const char* beyond = terms[i].descending ? " < ?" : " > ?";
    statement.text += "(" + terms[i].expression + beyond;
    statement.Bind(values[i]);
    closing += ")";
    if (i + 1 < terms.size()) {
      statement.text += " or (" + terms[i].expression + " = ? and ";
      statement.Bind(values[i]);
      closing += ")";
    }
  }
  statement.text += closing;
}

void AppendOrder(SqlStatement& statement, const std::vector<OrderTerm>& terms) {
  statement.text += " order by ";
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (i > 0) statement.text += ", ";
    statement.text += terms[i].expression + (terms[i].descending ? " desc" : " asc");
  }
}

void AppendPage(SqlStatement& statement, const SqlDialect& dialect, long long offset, long long count) {
  statement.text += dialect.pageClause;
  if (dialect.countFirst) {
    statement.BindInteger(std::to_string(count)).BindInteger(std::to_string(offset));
  } else {
    statement.BindInteger(std::to_string(offset)).BindInteger(std::to_string(count));
  }
  statement.text += ";";
}

}  // namespace

std::string ContainsPattern(std::string_view word) {
  std::string pattern = "%";
  for (char c : word) {
    if (c == '!' || c == '%' || c == '_') pattern += '!';
    pattern += c;
  }
  return pattern + '%';
}

SqlStatement SelectMatchKeys(const SqlDialect& dialect, const SearchQuery& query, long long count) {
  const std::string& words = query.wordsTable->Text();
  SqlStatement statement("select ");
  statement.text += dialect.topClause;
  if (!dialect.topClause.empty()) statement.BindInteger(std::to_string(count));
  statement.text += words + ".Folder, " + words + ".FileName from " + words;
  AppendWordsCondition(statement, dialect, query);
  if (query.folderKey) {
    statement.text += " and ";
    AppendFolderCondition(statement, dialect, words + ".Folder", *query.folderKey);
  }
  statement.text += dialect.limitClause;
  if (!dialect.limitClause.empty()) statement.BindInteger(std::to_string(count));
  statement.text += ";";
  return statement;
}

bool SearchesOneCompanionTable(const SearchQuery& query) {
  return (query.words.empty() || query.searchedColumns.empty()) && !query.matchKeys && !query.fromDay &&
         !query.toDay && query.missingAny.empty() && SoleCompanionTable(query.companions);
}

SqlStatement SelectCompanionMatchKeys(const SqlDialect& dialect, const SearchQuery& query, long long count) {
  SqlStatement statement("select ");
  statement.text += dialect.topClause;
  if (!dialect.topClause.empty()) statement.BindInteger(std::to_string(count));
  statement.text += "t.Folder, t.FileName";
  AppendCompanionMatches(statement, dialect, query);
  statement.text += dialect.limitClause;
  if (!dialect.limitClause.empty()) statement.BindInteger(std::to_string(count));
  statement.text += ";";
  return statement;
}

SqlStatement CountMatches(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query) {
  if (SearchesOneCompanionTable(query) && !query.companions.keywords.empty() && dialect.countsKeywordFilesBySets) {
    return CountKeywordFiles(dialect, query);
  }
  SqlStatement statement("select count(*)");
  if (SearchesOneCompanionTable(query)) {
    AppendCompanionMatches(statement, dialect, query);
    statement.text += ";";
    return statement;
  }
  // Words alone are counted in the words table, which holds a row for each row of the images table
  // and no other (its key follows theirs): the count then reads no images row.
  if (SearchesWordsTable(query) && !query.matchKeys && !query.folderKey && !query.fromDay && !query.toDay &&
      !query.companions.Any() && query.missingAny.empty()) {
    statement.text += " from " + query.wordsTable->Text();
    AppendWordsCondition(statement, dialect, query);
    statement.text += ";";
    return statement;
  }
  if (query.missingAny.empty() || query.matchKeys) {
    AppendFrom(statement, imagesTable, dialect, query);
    AppendWhere(statement, imagesTable, dialect, query, true);
    statement.text += ";";
    return statement;
  }
  // The photos lacking a required field: all those the other filters give less those holding every
  // field, which PostgreSQL counts with joins (10^5 rows: 0.83 s → 0.34 s) where "or not exists"
  // tests each row.
  SearchQuery others = query;
  others.missingAny.clear();
  statement.text += " - (select count(*)";
  AppendFrom(statement, imagesTable, dialect, others);
  const bool filtered = AppendWhere(statement, imagesTable, dialect, others, true);
  statement.text += filtered ? " and " : " where ";
  AppendHoldingAll(statement, dialect, query.missingAny, RequiredTablesOf(query), OuterName(imagesTable, query));
  statement.text += ")";
  AppendFrom(statement, imagesTable, dialect, others);
  AppendWhere(statement, imagesTable, dialect, others, true);
  statement.text += ";";
  return statement;
}

SqlStatement SelectMatchPage(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query,
                             long long offset, long long count) {
  SqlStatement statement = SelectShown(imagesTable, dialect, query);
  AppendFrom(statement, imagesTable, dialect, query);
  AppendWhere(statement, imagesTable, dialect, query);
  AppendOrder(statement, OrderTerms(dialect, query));
  AppendPage(statement, dialect, offset, count);
  return statement;
}

SqlStatement SelectKeywordCounts(const TableName& imagesTable, const TableName& keywordsTable,
                                 const SqlDialect& dialect, const SearchQuery& query, long long count) {
  SqlStatement statement("select ");
  statement.text += dialect.topClause;
  if (!dialect.topClause.empty()) statement.BindInteger(std::to_string(count));
  const std::string& keywords = keywordsTable.Text();
  statement.text += keywords + ".Keyword, count(*) from " + keywords + " where exists (select 1";
  AppendFrom(statement, imagesTable, dialect, query);
  const std::string outer = OuterName(imagesTable, query);
  statement.text += AppendWhere(statement, imagesTable, dialect, query) ? " and " : " where ";
  statement.text += outer + ".Folder = " + keywords + ".Folder and " + outer + ".FileName = " + keywords +
                    ".FileName) group by " + keywords + ".Keyword order by count(*) desc, " + keywords + ".Keyword";
  statement.text += dialect.limitClause;
  if (!dialect.limitClause.empty()) statement.BindInteger(std::to_string(count));
  statement.text += ";";
  return statement;
}

SqlStatement SelectMatchesAfter(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query,
                                const std::optional<SortPosition>& after, long long count) {
  SqlStatement statement = SelectShown(imagesTable, dialect, query);
  AppendFrom(statement, imagesTable, dialect, query);
  const bool filtered = AppendWhere(statement, imagesTable, dialect, query);
  const std::vector<OrderTerm> terms = OrderTerms(dialect, query);
  if (after) {
    statement.text += filtered ? " and " : " where ";
    AppendAfterCondition(statement, terms, PositionValues(query, *after));
  }
  AppendOrder(statement, terms);
  AppendPage(statement, dialect, 0, count);
  return statement;
}

SqlStatement SelectMatchRows(const TableName& imagesTable, const SqlDialect& dialect, const SearchQuery& query) {
  SqlStatement statement("select *");
  AppendFrom(statement, imagesTable, dialect, query);
  AppendWhere(statement, imagesTable, dialect, query);
  return statement;
}

std::vector<std::string> ViewStatements(const TableName& view, std::string_view select, bool dropFirst) {
  const std::string create = " view " + view.Text() + " as " + std::string(select) + ";";
  if (dropFirst) return {"drop view if exists " + view.Text() + ";", "create" + create};
  return {"create or replace" + create};
}

}  // namespace tessarine
