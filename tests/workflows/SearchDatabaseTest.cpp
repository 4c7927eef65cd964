// The catalogue search on every real database: what the words, the folder and the dates match, and
// that sorted pages give each match once; the CSV export read back by a parser of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "catalogue/ScanStatements.h"
#include "core/ImageColumns.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/browse/CsvExport.h"

namespace tessarine::test {
namespace {

using Values = std::map<std::size_t, std::string>;
using Names = std::set<std::string>;

// Records and fields of an RFC 4180 text; throws on anything the format does not allow.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  std::size_t at = 0;
  auto fail = [&](const char* why) { throw std::runtime_error(std::string(why) + " at " + std::to_string(at)); };
  while (at < text.size()) {
    if (text[at] == '"') {
      for (++at;; ++at) {
        if (at >= text.size()) fail("unterminated quote");
        if (text[at] == '"') {
          if (at + 1 < text.size() && text[at + 1] == '"') {
            field += '"';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        field += text[at];
      }
    } else {
      for (; at < text.size() && text[at] != ',' && text[at] != '\r'; ++at) {
        if (text[at] == '"' || text[at] == '\n') fail("quote or line feed in an unquoted field");
        field += text[at];
      }
    }
    if (at >= text.size()) fail("record without CR LF");
    record.push_back(std::move(field));
    field.clear();
    if (text[at] == ',') {
      ++at;
      continue;
    }
    if (text.compare(at, 2, "\r\n") != 0) fail("field not ended by comma or CR LF");
    at += 2;
    records.push_back(std::move(record));
    record.clear();
  }
  return records;
}

class SearchOn : public CatalogueFixture {
 protected:
  // A row as a scan writes it: every column given, empty unless named.
  void Insert(const std::string& folder, const std::string& file, const Values& values = {}) {
    ColumnValues row;
    row[col::Folder] = folder;
    row[col::FileName] = file;
    row[col::ModifyTime] = "1";
    for (const auto& [column, value] : values) row[column] = value;
    connection.Send(InsertImageRow(ValidName(m_settings.images), row));
  }

  CatalogueSearch Start(const SearchFilter& filter, ViewSort sort = {}) {
    if (!connection.IsOpen()) Open();
    Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, port, m_settings, filter, sort);
    EXPECT_TRUE(search) << DescribeMessages();
    return std::move(search.Value());
  }

  // The file names of every match, read in pages of three, checked against the count.
  Names Found(const SearchFilter& filter) {
    CatalogueSearch search = Start(filter);
    Names names;
    for (long long k = 0;; ++k) {
      const Expected<std::vector<ViewRow>> page = search.Page(k, 3);
      EXPECT_TRUE(page) << DescribeMessages();
      if (!page || page->empty()) break;
      for (const ViewRow& row : *page) names.insert(row[1].value_or("?"));
    }
    const Expected<long long> count = search.Count();
    EXPECT_TRUE(count) << DescribeMessages();
    EXPECT_EQ(count.Ok() ? *count : -1, static_cast<long long>(names.size())) << filter.words;
    return names;
  }

  Names FoundWords(const std::string& words) { return Found(SearchFilter{words, {}, {}, {}}); }

  Names FoundDates(const char* from, const char* to) {
    SearchFilter filter;
    if (from) filter.from = SearchDay::Parse(from).value();
    if (to) filter.to = SearchDay::Parse(to).value();
    return Found(filter);
  }
};
TESSARINE_ON_EVERY_DATABASE(SearchOn);

TEST_P(SearchOn, WordsWithPatternCharactersQuotesAndTheEscapeCharacterMatchLiterally) {
  Open();
  Insert("/p/", "percent", {{col::Keywords, "100% cotton"}});
  Insert("/p/", "hundred", {{col::Keywords, "1000 cotton"}});
  Insert("/p/", "underscore", {{col::Caption, "file_name"}});
  Insert("/p/", "anychar", {{col::Caption, "fileXname"}});
  Insert("/p/", "bang", {{col::ObjectName, "wow!x"}});
  Insert("/p/", "nobang", {{col::ObjectName, "wowx"}});
  Insert("/p/", "quotes", {{col::Byline, "it's \"quoted\""}});
  Insert("/p/", "backslash", {{col::City, "a\\b"}});
  Insert("/p/", "noslash", {{col::City, "ab"}});

  EXPECT_EQ(FoundWords("100%"), (Names{"percent"}));
  EXPECT_EQ(FoundWords("e_n"), (Names{"underscore"}));
  EXPECT_EQ(FoundWords("%"), (Names{"percent"}));
  EXPECT_EQ(FoundWords("_"), (Names{"underscore"}));
  EXPECT_EQ(FoundWords("w!x"), (Names{"bang"}));
  EXPECT_EQ(FoundWords("!"), (Names{"bang"}));
  EXPECT_EQ(FoundWords("it's"), (Names{"quotes"}));
  EXPECT_EQ(FoundWords("\"quoted\""), (Names{"quotes"}));
  EXPECT_EQ(FoundWords("'"), (Names{"quotes"}));
  EXPECT_EQ(FoundWords("a\\b"), (Names{"backslash"}));
  EXPECT_EQ(FoundWords("\\"), (Names{"backslash"}));
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
}

TEST_P(SearchOn, LetterCaseIsIgnoredForAsciiAndAccentedWordsAreFoundAsWritten) {
  Open();
  Insert("/p/", "beach", {{col::Caption, "Sunset at the Beach"}});
  Insert("/p/", "zurich", {{col::City, "Zürich"}, {col::Country, "Schweiz"}});
  Insert("/p/", "cafe", {{col::Keywords, "café; Straße"}});
  Insert("/p/", "plain", {{col::Keywords, "cafe; Zurich"}});

  EXPECT_EQ(FoundWords("sunset BEACH"), (Names{"beach"}));
  EXPECT_EQ(FoundWords("SCHWEIZ"), (Names{"zurich"}));
  EXPECT_EQ(FoundWords("Zürich"), (Names{"zurich"}));
  EXPECT_EQ(FoundWords("zürich"), (Names{"zurich"}));  // ASCII letters of a word differ in case only
  EXPECT_EQ(FoundWords("café"), (Names{"cafe"}));
  EXPECT_EQ(FoundWords("Straße"), (Names{"cafe"}));
  EXPECT_EQ(FoundWords("Zurich"), (Names{"plain"}));
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
}

TEST_P(SearchOn, EveryWordMustOccurInSomeSearchedColumn) {
  m_settings.custom.schemas[2].prefix = "cl";
  m_settings.custom.schemas[2].properties[0] = {"ClientName", "07"};
  m_settings.custom.schemas[2].properties[1] = {"", "08"};  // a column without a property: not bound
  Open();
  Insert("/p/", "paris-dog", {{col::Keywords, "dog; cat"}, {col::City, "Paris"}});
  Insert("/p/", "rome-dog", {{col::Keywords, "dog"}, {col::City, "Rome"}});
  Insert("/p/", "paris", {{col::Country, "France"}, {col::City, "Paris"}});
  Insert("/p/", "client", {{CustomColumnIndex(7), "Acme Corp"}, {col::Byline, "Jo"}});
  Insert("/p/", "unbound", {{CustomColumnIndex(8), "Acme Corp"}, {col::Headline, "dog"}});

  EXPECT_EQ(FoundWords("dog"), (Names{"paris-dog", "rome-dog"}));
  EXPECT_EQ(FoundWords("  dog\tparis "), (Names{"paris-dog"}));
  EXPECT_EQ(FoundWords("paris FRANCE"), (Names{"paris"}));
  EXPECT_EQ(FoundWords("acme"), (Names{"client"}));
  EXPECT_EQ(FoundWords("acme jo"), (Names{"client"}));
  EXPECT_EQ(FoundWords("dog rome paris"), Names{});
  EXPECT_EQ(FoundWords(""), (Names{"paris-dog", "rome-dog", "paris", "client", "unbound"}));
  // Each searched column on its own.
  Insert("/q/", "k", {{col::Keywords, "kw1"}});
  Insert("/q/", "o", {{col::ObjectName, "kw2"}});
  Insert("/q/", "c", {{col::Caption, "kw3"}});
  Insert("/q/", "b", {{col::Byline, "kw4"}});
  Insert("/q/", "ci", {{col::City, "kw5"}});
  Insert("/q/", "co", {{col::Country, "kw6"}});
  Insert("/q/", "h", {{col::Headline, "kw7"}});
  EXPECT_EQ(FoundWords("kw"), (Names{"k", "o", "c", "b", "ci", "co"}));
}

TEST_P(SearchOn, TheFolderFilterTakesTheFolderAndItsSubfoldersButNoSiblingOfTheSamePrefix) {
  Open();
  Insert("/photos/a/", "1");
  Insert("/photos/a/sub/", "2");
  Insert("/photos/ab/", "3");
  Insert("/photos/", "4");
  Insert("/photos/a_b/", "5");
  Insert("/photos/axb/", "6");
  Insert("/photos/a%/", "7");
  Insert("/photos/ax/", "8");
  // Another folder on a disk that tells letter case apart.
  Insert("/photos/A/", "9");
  Insert("/photos/A/sub/", "10");

  auto inFolder = [&](const char* path) { return Found(SearchFilter{"", FolderKey::FromPath(path), {}, {}}); };
  EXPECT_EQ(inFolder("/photos/a"), (Names{"1", "2"}));
  EXPECT_EQ(inFolder("/photos/a/"), (Names{"1", "2"}));
  EXPECT_EQ(inFolder("/photos/a_b"), (Names{"5"}));
  EXPECT_EQ(inFolder("/photos/a%"), (Names{"7"}));
  EXPECT_EQ(inFolder("/photos/A"), (Names{"10", "9"}));
  EXPECT_EQ(inFolder("/photos"), (Names{"1", "10", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST_P(SearchOn, TheDateRangeIncludesBothEndsInTheIimAndTheXmpForm) {
  Open();
  const std::vector<std::pair<std::string, std::string>> dated{
      {"iim-first", "20240501"}, {"xmp-last", "2024-05-31"}, {"before", "2024-04-30"}, {"after", "2024-06-01"},
      {"month", "2024-05"},      {"year", "2024"},           {"iim-month", "20240500"}, {"iim-year", "20240000"},
      {"undated", ""},           {"older", "20230515"},      {"iim-june", "20240600"}};
  for (const auto& [name, date] : dated) Insert("/d/", name, {{col::CreatedDate, date}});

  EXPECT_EQ(FoundDates("2024-05-01", "2024-05-31"),
            (Names{"iim-first", "xmp-last", "month", "year", "iim-month", "iim-year"}));
  EXPECT_EQ(FoundDates("2024-05-31", "2024-05-31"), (Names{"xmp-last", "month", "year", "iim-month", "iim-year"}));
  EXPECT_EQ(FoundDates("2024-06-01", nullptr), (Names{"after", "year", "iim-year", "iim-june"}));
  EXPECT_EQ(FoundDates(nullptr, "2024-04-30"), (Names{"before", "year", "iim-year", "older"}));
  EXPECT_EQ(FoundDates("2024-05-02", "2024-05-30"), (Names{"month", "year", "iim-month", "iim-year"}));
  EXPECT_EQ(FoundDates("2025-01-01", nullptr), Names{});
}

TEST_P(SearchOn, SortedPagesGiveEveryMatchOnceInOrder) {
  Open();
  // Many ties in City and Date, a NULL City, titles all different.
  const char* cities[] = {"Berlin", "berlin", "Athens", ""};
  Names all;
  for (int i = 0; i < 23; ++i) {
    const std::string name = "f" + std::to_string(100 + (i * 7) % 23);
    const std::string folder = i % 3 == 0 ? "/s/" : "/s/t/";
    Insert(folder, name,
           {{col::City, cities[i % 4]}, {col::ObjectName, "t" + std::to_string(50 + i)}, {col::CreatedDate, "2024"}});
    all.insert(name + "@" + folder);
  }
  connection.SendStatement("update " + m_settings.images + " set City = null where FileName = 'f100';");

  const std::vector<ViewColumn> columns = ViewColumnsOf(m_settings.custom);
  for (std::size_t column = 0; column < columns.size(); ++column) {
    for (bool descending : {false, true}) {
      SCOPED_TRACE(columns[column].title + (descending ? " desc" : " asc"));
      CatalogueSearch search = Start({}, {column, descending});
      std::vector<std::string> byPage;
      for (long long k = 0; k < 10; ++k) {
        const Expected<std::vector<ViewRow>> page = search.Page(k, 4);
        ASSERT_TRUE(page) << DescribeMessages();
        if (page->empty()) break;
        EXPECT_LE(page->size(), 4u);
        for (const ViewRow& row : *page) byPage.push_back(row[1].value_or("") + "@" + row[0].value_or(""));
      }
      std::vector<std::string> after;
      std::vector<ViewRow> page;
      for (int n = 0; n < 10; ++n) {
        Expected<std::vector<ViewRow>> next = search.PageAfter(page.empty() ? nullptr : &page.back(), 5);
        ASSERT_TRUE(next) << DescribeMessages();
        page = std::move(next.Value());
        for (const ViewRow& row : page) after.push_back(row[1].value_or("") + "@" + row[0].value_or(""));
        if (page.size() < 5) break;
      }
      EXPECT_EQ(byPage.size(), all.size());
      EXPECT_EQ(Names(byPage.begin(), byPage.end()), all);
      EXPECT_EQ(after, byPage);  // the same order both ways
    }
  }

  // The order itself, where the values differ in every row.
  for (bool descending : {false, true}) {
    CatalogueSearch search = Start({}, {*FindViewColumn(columns, "Title"), descending});
    const Expected<std::vector<ViewRow>> rows = search.Page(0, 100);
    ASSERT_TRUE(rows);
    std::vector<std::string> titles;
    for (const ViewRow& row : *rows) titles.push_back(row[2].value_or(""));
    std::vector<std::string> sorted = titles;
    std::sort(sorted.begin(), sorted.end());
    if (descending) std::reverse(sorted.begin(), sorted.end());
    EXPECT_EQ(titles, sorted);
    EXPECT_EQ(titles.size(), 23u);
  }
}

TEST_P(SearchOn, TheCsvExportReadsBackAsTheViewsRows) {
  m_settings.custom.schemas[0].prefix = "x";
  m_settings.custom.schemas[0].properties[3] = {"ClientName", "7"};
  Open();
  const std::vector<std::string> hostile{"a,b", "say \"hi\"", "line\r\nbreak", "lf\nonly", "Zürich, Österreich", "",
                                         "\"", ",", "cr\r", "plain"};
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    Insert("/c, d/", "f\"" + std::to_string(i),
           {{col::Caption, hostile[i]}, {col::ObjectName, hostile[(i + 1) % hostile.size()]},
            {CustomColumnIndex(7), hostile[(i + 2) % hostile.size()]}});
  }
  CatalogueSearch search = Start({});
  std::ostringstream out;
  const Expected<long long> written = ExportCsv(search, out, {.pageSize = 3});
  ASSERT_TRUE(written) << DescribeMessages();
  EXPECT_EQ(*written, static_cast<long long>(hostile.size()));

  const auto records = ParseCsv(out.str());
  ASSERT_EQ(records.size(), hostile.size() + 1);
  std::vector<std::string> titles;
  for (const ViewColumn& column : search.Columns()) titles.push_back(column.title);
  EXPECT_EQ(records[0], titles);
  EXPECT_EQ(titles.back(), "ClientName");
  const Expected<std::vector<ViewRow>> rows = search.Page(0, 100);
  ASSERT_TRUE(rows);
  for (std::size_t r = 0; r < rows->size(); ++r) {
    std::vector<std::string> expected;
    for (const auto& value : (*rows)[r]) expected.push_back(value.value_or(""));
    EXPECT_EQ(records[r + 1], expected) << r;
  }
  std::set<std::string> captions;
  for (std::size_t r = 1; r < records.size(); ++r) captions.insert(records[r][4]);
  EXPECT_EQ(captions, std::set<std::string>(hostile.begin(), hostile.end()));
}

// A search of the most words allowed runs on every server; one more is refused before any statement.
TEST_P(SearchOn, TakesAtMostTheMostWordsAllowed) {
  Open();
  Insert("/p/", "a.jpg", {{col::Keywords, "w"}});
  std::string words;
  for (std::size_t i = 0; i < kMaxSearchWords; ++i) words += "w ";
  EXPECT_EQ(Start({words}).Count(), 1LL);
  ASSERT_TRUE(port.messages.empty());
  EXPECT_TRUE(CatalogueSearch::Start(connection, port, m_settings, {words + "w"}).Is(ErrorKind::Search));
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, "A search takes at most 100 words; this one has 101.");
}

TEST_P(SearchOn, AMissingTableIsReportedAndHandedBack) {
  m_settings.images = Table("Gone");
  Open();
  CatalogueSearch search = Start({});
  EXPECT_TRUE(search.Count().Is(ErrorKind::Database));
  EXPECT_TRUE(search.Page(0, 10).Is(ErrorKind::Database));
  ASSERT_EQ(port.messages.size(), 2u);
  EXPECT_EQ(port.messages[0].text.rfind("Error ", 0), 0u) << port.messages[0].text;

  m_settings.images = "Images; drop";
  EXPECT_TRUE(CatalogueSearch::Start(connection, port, m_settings, {}).Is(ErrorKind::TableName));
}

}  // namespace
}  // namespace tessarine::test
