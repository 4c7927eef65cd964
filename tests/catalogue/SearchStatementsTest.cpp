// The search statements for the servers the tests cannot reach live (SQL Server, Oracle): the page
// syntax each takes, and that no value ever becomes SQL text.

#include "catalogue/SearchStatements.h"

#include "catalogue/SqlLiterals.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/ImageColumns.h"
#include "support/ValidName.h"

namespace tessarine {
namespace {

using test::ValidName;

SearchQuery HostileQuery() {
  SearchQuery query;
  query.shownColumns = {col::Folder, col::FileName, col::ObjectName};
  query.searchedColumns = {col::Keywords, col::Caption};
  query.words = {"it's", "x'); drop table Pics; --", "100%"};
  query.folderKey = "/O'Brien/";
  query.fromDay = "20240101";
  query.sortColumn = col::ObjectName;
  query.descending = true;
  return query;
}

// On every server every value is bound, and a page takes that server's syntax.
TEST(SearchStatements, EveryValueIsBoundAndEachServerGetsItsOwnPageSyntax) {
  const SearchQuery query = HostileQuery();
  const std::optional<SortPosition> after = SortPosition{"it's", "/O'Brien/", "x'y"};
  struct Case {
    DbmsKind kind;
    const char* ending;
    std::vector<std::string> lastValues;  // the two page values, in the order of their marks
  };
  for (const Case& c : {Case{DbmsKind::Sqlite, " limit ? offset ?;", {"20", "40"}},
                        Case{DbmsKind::MySqlPostgreSqlEtc, " limit ? offset ?;", {"20", "40"}},
                        Case{DbmsKind::SqlServer, " offset ? rows fetch next ? rows only;", {"40", "20"}},
                        Case{DbmsKind::Oracle, " offset ? rows fetch next ? rows only;", {"40", "20"}}}) {
    const SqlDialect& dialect = SqlDialectFor(c.kind);
    const TableName pics = ValidName("Pics");
    const SqlStatement page = SelectMatchPage(pics, dialect, query, 40, 20);
    SearchQuery throughWords = query;
    throughWords.wordsTable = ValidName("Pics_words");
    SearchQuery byKeys = query;
    byKeys.matchKeys = {{"/O'Brien/", "it's"}, {"x'); drop table Pics; --", "b"}};
    const SqlStatement keys = SelectMatchKeys(dialect, throughWords, 7);
    for (const SqlStatement& statement :
         {CountMatches(pics, dialect, query), page, SelectMatchesAfter(pics, dialect, query, after, 20), keys,
          SelectMatchPage(pics, dialect, byKeys, 0, 20)}) {
      EXPECT_EQ(std::count(statement.text.begin(), statement.text.end(), '?'),
                static_cast<long>(statement.values.size()));
      // The only quoted texts are the statement's own: the escape character, "" and "-".
      std::string text = statement.text;
      for (const char* own : {"'!'", "''", "'-'"}) {
        for (std::size_t at; (at = text.find(own)) != std::string::npos;) text.erase(at, std::string_view(own).size());
      }
      EXPECT_EQ(text.find('\''), std::string::npos) << statement.text;
      EXPECT_EQ(text.find("drop"), std::string::npos);
    }
    EXPECT_TRUE(page.text.ends_with(c.ending)) << page.text;
    ASSERT_GE(page.values.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{page.values.end()[-2].text, page.values.back().text}), c.lastValues);
    EXPECT_TRUE(page.values.back().kind == SqlValue::Kind::Integer);
    // The keys' count: SQL Server's "top (?)" after "select", the others' clause at the end.
    const std::size_t countAt = c.kind == DbmsKind::SqlServer ? 0 : keys.values.size() - 1;
    EXPECT_EQ(keys.values.at(countAt).text, "7");
    EXPECT_TRUE(keys.values.at(countAt).kind == SqlValue::Kind::Integer);
    // SQL Server compares and sorts its "text" columns only as varchar(max); the keys are varchar.
    const bool cast = c.kind == DbmsKind::SqlServer;
    EXPECT_EQ(page.text.find("lower(cast(Keywords as varchar(max)))") != std::string::npos, cast) << page.text;
    EXPECT_EQ(page.text.find("coalesce(cast(ObjectName as varchar(max)), '') desc") != std::string::npos, cast);
    EXPECT_EQ(page.text.find("cast(Folder"), std::string::npos);
  }
}

// A statement with its values written in: each mark outside quotes takes its value as a literal the
// server reads back as the same text whatever its settings say of backslashes; what cannot be
// written so is refused whole.
TEST(SearchStatements, ValuesWrittenInAreLiteralsEachServerReadsBackAsTheValue) {
  using Style = TextLiteralStyle;
  const SqlStatement marks("select '?', \"a?\", `b?` where x = ? and y like ? escape '!'");
  const std::string kept = "select '?', \"a?\", `b?` where x = ";
  const auto two = [&](SqlValue first, std::string second) {
    SqlStatement statement = marks;
    statement.values = {std::move(first), {std::move(second)}};
    return statement;
  };
  struct Case {
    Style style;
    SqlStatement statement;
    std::optional<std::string> written;
  };
  const Case cases[] = {
      {Style::Standard, two({"it's"}, "a\\b"), kept + "'it''s' and y like 'a\\b' escape '!'"},
      {Style::National, two({"é"}, "x"), kept + "N'é' and y like N'x' escape '!'"},
      {Style::EscapeString, two({"it's"}, "a\\b'"), kept + "'it''s' and y like E'a\\\\b''' escape '!'"},
      {Style::HexWhereBackslash, two({"it's"}, "a\\b"), kept + "'it''s' and y like _utf8mb4 X'615C62' escape '!'"},
      {Style::Standard, two({"-1.5e3", SqlValue::Kind::Real}, ""), kept + "-1.5e3 and y like '' escape '!'"},
      {Style::Standard, two({"", SqlValue::Kind::Text, true}, "x"), kept + "null and y like 'x' escape '!'"},
      {Style::Standard, two({"1); drop table t", SqlValue::Kind::Integer}, "x"), std::nullopt},
      {Style::Standard, two({"1.5", SqlValue::Kind::Integer}, "x"), std::nullopt},
      {Style::Standard, two({std::string("a\0b", 3)}, "x"), std::nullopt},
      {Style::Standard, SqlStatement(marks.text, {{"one"}}), std::nullopt},
      {Style::Standard, SqlStatement(marks.text, {{"1"}, {"2"}, {"3"}}), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithValuesWritten(c.statement, c.style), c.written) << c.statement.values[0].text;
  }
  EXPECT_EQ(TextLiteralStyleOf(DbmsKind::MySqlPostgreSqlEtc, "MariaDB"), Style::HexWhereBackslash);
  EXPECT_EQ(TextLiteralStyleOf(DbmsKind::MySqlPostgreSqlEtc, "PostgreSQL"), Style::EscapeString);
}

}  // namespace
}  // namespace tessarine
