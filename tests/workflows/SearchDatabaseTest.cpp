// The catalogue search on every real database: what the words, the folder and the dates match, with
// the words table and without, and that sorted pages give each match once; the CSV export of a search.

#include <sstream>

#include "support/TestImages.h"
#include "catalogue/CompanionStatements.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/browse/CatalogueSearch.h"
#include "workflows/browse/ContentCopies.h"
#include "workflows/browse/CsvExport.h"
#include "workflows/browse/RequiredFields.h"
#include "workflows/connection/CatalogueTables.h"

namespace tessarine::test {
namespace {

using Values = std::map<std::size_t, std::string>;
using Names = std::set<std::string>;

class SearchOn : public CatalogueFixture {
 protected:
  CatalogueSearch Start(const SearchFilter& filter, ViewSort sort = {}) {
    if (!connection.IsOpen()) Open();
    Expected<CatalogueSearch> search = CatalogueSearch::Start(connection, port, m_settings, filter, sort, &hintSaid);
    EXPECT_TRUE(search) << DescribeMessages();
    return std::move(search.Value());
  }

  // The file names of every match, read in pages of three, checked against the count. `few`: the
  // search's bound on matches read by their keys first.
  Names Found(const SearchFilter& filter, long long few = CatalogueSearch::kFewMatches) {
    CatalogueSearch search = Start(filter);
    search.SetFewMatches(few);
    // Counted first, as the view does: the pages may take another form once the count is known.
    const Expected<long long> count = search.Count();
    Names names;
    for (long long k = 0;; ++k) {
      const Expected<std::vector<ViewRow>> page = search.Page(k, 3);
      EXPECT_TRUE(page) << DescribeMessages();
      if (!page || page->empty()) break;
      for (const ViewRow& row : *page) names.insert(row[1].value_or("?"));
    }
    EXPECT_EQ(count.Ok() ? *count : -1, static_cast<long long>(names.size())) << filter.words;
    // The search made a view of the catalogue selects the same rows, its values written as literals.
    if (few != CatalogueSearch::kFewMatches) return names;
    EXPECT_TRUE(search.MakeView(View())) << DescribeMessages();
    Names viewed;
    for (const auto& [key, values] : Rows("select Folder, FileName from " + View().Text() + ";")) {
      viewed.insert(values[1]);
    }
    EXPECT_EQ(viewed, names) << filter.words;
    Open().SendStatement("drop view " + View().Text() + ";");
    return names;
  }

  // The name of this test's view (not one of its tables, which go with "drop table").
  TableName View() {
    if (!m_view) m_view = ValidName(UniqueTableName("V"));
    return *m_view;
  }
  std::optional<TableName> m_view;

  bool hintSaid = true;  // a test of the hint clears it
};
TESSARINE_ON_EVERY_DATABASE(SearchOn);

// Each word as a literal substring of some searched column: with the words table folded (accents and
// letter case ignored, "ss" for "ß", a letter Unicode does not decompose kept), without it as written
// but for ASCII letter case, said once.
TEST_P(SearchOn, EachWordMatchesLiterallyInSomeSearchedColumnFoldedWithTheWordsTable) {
  m_settings.custom.schemas[2].prefix = "cl";
  m_settings.custom.schemas[2].properties[0] = {"ClientName", "07"};
  m_settings.custom.schemas[2].properties[1] = {"", "08"};  // a column without a property: not bound
  m_words = WordsTableName(ValidName(m_settings.images));
  connection.SendStatement(WordsTableStatement(ValidName(m_settings.images), Dialect()));
  const std::pair<const char*, Values> rows[] = {
      {"percent", {{col::Keywords, "100% cotton"}}},
      {"hundred", {{col::Keywords, "1000 cotton"}}},
      {"underscore", {{col::Caption, "file_name"}}},
      {"anychar", {{col::Caption, "fileXname"}}},
      {"bang", {{col::ObjectName, "wow!x"}}},
      {"nobang", {{col::ObjectName, "wowx"}}},
      {"quotes", {{col::Byline, "it's \"quoted\""}}},
      {"backslash", {{col::City, "a\\b"}}},
      {"noslash", {{col::City, "ab"}}},
      {"beach", {{col::Caption, "Sunset at the Beach"}}},
      {"zurich", {{col::City, "Zürich"}, {col::Country, "Schweiz"}}},
      {"cafe", {{col::Keywords, "café; Straße"}}},
      {"plain", {{col::Keywords, "cafe; Zurich"}}},
      {"orsted", {{col::ObjectName, "Ørsted"}}},
      {"paris-dog", {{col::Keywords, "dog; cat"}, {col::City, "Paris"}}},
      {"rome-dog", {{col::Keywords, "dog"}, {col::City, "Rome"}}},
      {"paris", {{col::Country, "France"}, {col::City, "Paris"}}},
      {"client", {{CustomColumnIndex(7), "Acme Corp"}, {col::Byline, "Jo"}}},
      // Neither an unbound custom column nor the headline is searched.
      {"unbound", {{CustomColumnIndex(8), "Acme Corp"}, {col::Headline, "dog"}}},
  };
  Names all{"sibling-dog"};
  for (const auto& [name, values] : rows) {
    Insert("/p/", name, values);
    all.insert(name);
  }
  Insert("/pq/", "sibling-dog", {{col::Keywords, "dog"}});
  struct Case {
    const char* words;
    Names folded;
    std::optional<Names> asWritten;  // where every server agrees
  };
  const Case cases[] = {
      {"100%", {"percent"}, {{"percent"}}},
      {"e_n", {"underscore"}, {{"underscore"}}},
      {"w!x", {"bang"}, {{"bang"}}},
      {"it's", {"quotes"}, {{"quotes"}}},
      {"a\\b", {"backslash"}, {{"backslash"}}},
      {"sunset BEACH", {"beach"}, {{"beach"}}},
      {"zürich", {"zurich", "plain"}, {{"zurich"}}},
      {"STRASSE", {"cafe"}, {{}}},
      {"ØRSTED", {"orsted"}, std::nullopt},
      {"acme jo", {"client"}, {{"client"}}},
      {"", all, all},
  };
  // Matches read by their keys first, and found by the walk of the images table.
  for (long long few : {CatalogueSearch::kFewMatches, 0LL}) {
    for (const Case& c : cases) EXPECT_EQ(Found({c.words, {}, {}, {}}, few), c.folded) << c.words << few;
    EXPECT_EQ(Found({"dog", FolderKey::FromPath("/p"), {}, {}}, few), (Names{"paris-dog", "rome-dog"}));
  }
  // More matches than the bound: the keys read first are not taken for all of them.
  const Names many = Found({"o", {}, {}, {}}, 0);
  EXPECT_GT(many.size(), 2u);
  EXPECT_EQ(Found({"o", {}, {}, {}}, 2), many);
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();

  connection.SendStatement(DropTableStatement(*m_words));
  hintSaid = false;
  for (const Case& c : cases) {
    if (c.asWritten) {
      EXPECT_EQ(Found({c.words, {}, {}, {}}), *c.asWritten) << c.words;
    }
  }
  ASSERT_EQ(port.messages.size(), 1u) << DescribeMessages();
  EXPECT_EQ(port.messages[0].text, kAccentBlindHint);
}

// As many matches as are read by their keys first: the statement that reads a page by those keys
// stays within each server's bounds.
TEST_P(SearchOn, AsManyMatchesAsAreReadByTheirKeysComeThroughThem) {
  m_words = WordsTableName(ValidName(m_settings.images));
  connection.SendStatement(WordsTableStatement(ValidName(m_settings.images), Dialect()));
  if (Dialect().transactionStart) connection.SendStatement(*Dialect().transactionStart);
  for (long long i = 0; i < CatalogueSearch::kFewMatches; ++i) {
    Insert("/p/", "f" + std::to_string(i), {{col::Keywords, "bulk"}});
  }
  if (Dialect().transactionEnd) connection.SendStatement(*Dialect().transactionEnd);
  CatalogueSearch search = Start({.words = "bulk"});
  EXPECT_EQ(search.Count(), CatalogueSearch::kFewMatches);
  const Expected<std::vector<ViewRow>> page = search.PageAfter(nullptr, 10);
  ASSERT_TRUE(page) << DescribeMessages();
  EXPECT_EQ(page->size(), 10u);
}

// The words table comes with the images table, and each row's words follow the row: written with it,
// replaced when a rescan reads the file again (an image whose sidecar alone changed is read again
// even by a rescan of changed files), gone with it; made again empty with the images table.
TEST_P(SearchOn, TheWordsOfARowFollowItThroughRescanAndDeletion) {
  TableNameBoxes boxes{m_settings.folders, m_settings.images};
  const CreateTableRequest request{CatalogueTable::Images, false, m_tree / "Tessarine PRO.ini", {}};
  ASSERT_TRUE(CreateCatalogueTable(connection, port, m_settings, boxes, request)) << DescribeMessages();
  AddAndLoad(m_root);
  const auto sidecar = [this](const std::string& city) {
    WriteFile(m_root / "a.jpg.xmp", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                                    "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" photoshop:City=\"" + city +
                                    "\"/></rdf:RDF>");
  };
  ASSERT_TRUE(SaveImage(m_root / "a.jpg", FIF_JPEG, 8, 8));
  sidecar("Reykjav\xC3\xADk");
  WriteFile(m_root / "b.txt", "b");
  WriteFile(m_root / "c.txt", "c");  // the folder never empties: an empty one keeps its rows
  const std::string words = WordsTableName(ValidName(m_settings.images)).Text();
  if (Dialect().insertOrReplace) {
    // Words left behind by a writer that did not ask SQLite to keep the foreign key: they give way.
    CatalogueConnection& writer = Open();
    writer.SendStatement("pragma foreign_keys = off;");
    writer.Send(SqlStatement("insert into " + words + " values(?, 'a.jpg', 'stale');")
                    .Bind(FolderKeyText(FolderKey::FromPath(m_root.string()))));
    writer.SendStatement("pragma foreign_keys = on;");
  }
  ScanAll();
  EXPECT_EQ(Found({"stale"}), Names{});
  EXPECT_EQ(Found({"REYKJAVIK"}), Names{"a.jpg"});
  EXPECT_EQ(Count(words), "3");

  sidecar("Z\xC3\xBCrich");
  std::filesystem::remove(m_root / "b.txt");
  m_settings.onlyChangedFiles = true;
  ScanAll();
  EXPECT_EQ(Found({"reykjavik"}), Names{});
  EXPECT_EQ(Found({"zurich"}), Names{"a.jpg"});
  EXPECT_EQ(Count(words), "2");
  // Made again with the images table: empty.
  ASSERT_TRUE(CreateCatalogueTable(connection, port, m_settings, boxes, request)) << DescribeMessages();
  EXPECT_EQ(Count(words), "0");
}

TEST_P(SearchOn, TheFolderFilterTakesTheFolderAndItsSubfoldersButNoSiblingOfTheSamePrefix) {
  // "/photos/A/" is another folder on a disk that tells letter case apart.
  for (const char* folder : {"a/", "a/sub/", "ab/", "", "a_b/", "axb/", "a%/", "ax/", "A/", "A/sub/"}) {
    Insert(std::string("/photos/") + folder, std::string("in ") + folder);
  }
  const std::pair<const char*, Names> cases[] = {
      {"/photos/a", {"in a/", "in a/sub/"}},
      {"/photos/a_b", {"in a_b/"}},
      {"/photos/a%", {"in a%/"}},
      {"/photos/A", {"in A/", "in A/sub/"}},
      {"/photos",
       {"in a/", "in a/sub/", "in ab/", "in ", "in a_b/", "in axb/", "in a%/", "in ax/", "in A/", "in A/sub/"}},
  };
  for (const auto& [path, names] : cases) EXPECT_EQ(Found({"", FolderKey::FromPath(path), {}, {}}), names) << path;
}

TEST_P(SearchOn, TheDateRangeIncludesBothEndsInTheIimAndTheXmpForm) {
  const std::vector<std::pair<std::string, std::string>> dated{
      {"iim-first", "20240501"}, {"xmp-last", "2024-05-31"}, {"before", "2024-04-30"}, {"after", "2024-06-01"},
      {"month", "2024-05"},      {"year", "2024"},           {"iim-month", "20240500"}, {"iim-year", "20240000"},
      {"undated", ""},           {"older", "20230515"},      {"iim-june", "20240600"}};
  for (const auto& [name, date] : dated) Insert("/d/", name, {{col::CreatedDate, date}});
  const auto day = [](const char* text) { return SearchDay::Parse(text).value(); };
  const std::pair<SearchFilter, Names> cases[] = {
      {{.from = day("2024-05-01"), .to = day("2024-05-31")},
       {"iim-first", "xmp-last", "month", "year", "iim-month", "iim-year"}},
      {{.from = day("2024-06-01")}, {"after", "year", "iim-year", "iim-june"}},
      {{.to = day("2024-04-30")}, {"before", "year", "iim-year", "older"}},
      {{.from = day("2024-05-02"), .to = day("2024-05-30")}, {"month", "year", "iim-month", "iim-year"}},
      {{.from = day("2025-01-01")}, {}},
  };
  for (const auto& [filter, names] : cases) {
    EXPECT_EQ(Found(filter), names) << (filter.from ? filter.from->Digits() : "") << "-"
                                    << (filter.to ? filter.to->Digits() : "");
  }
}

// Each filter on the facts and keywords tables: the day taken with both ends included, camera words
// in the make, model or lens with ASCII case ignored, a radius around a place on either side of the
// equator and of Greenwich, a keyword as a flat one, a level of a hierarchy or a leaf, the digital
// source; a catalogue without those tables refuses such a search and says how to add them.
TEST_P(SearchOn, EachCompanionFilterMatchesWhatTheFactsAndKeywordsSay) {
  struct Photo {
    const char* name;
    std::vector<std::pair<std::size_t, const char*>> facts;
    std::vector<KeywordEntry> keywords;
  };
  const std::vector<Photo> photos = {
      {"oslo",
       {{fact::DateTaken, "2024-05-01 10:20:30"}, {fact::Make, "Canon"}, {fact::Model, "EOS R5"},
        {fact::Lens, "RF24-70mm"}, {fact::Latitude, "59.9139"}, {fact::Longitude, "10.7522"},
        {fact::DigitalSourceType, "http://cv.iptc.org/newscodes/digitalsourcetype/digitalCapture"}},
       {{"Oslo", "Oslo", 0}, {"Places", "Places", 1}, {"Places|Norway", "Norway", 2},
        {"Places|Norway|Oslo", "Oslo", 3}}},
      {"bergen",
       {{fact::DateTaken, "2024-05-02 00:00:00"}, {fact::Make, "NIKON CORPORATION"}, {fact::Model, "Z 8"},
        {fact::Latitude, "60.3913"}, {fact::Longitude, "5.3221"},
        {fact::DigitalSourceType, "http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia"}},
       {{"Places", "Places", 1}, {"Places|Norway", "Norway", 2}, {"Places|Norway|Bergen", "Bergen", 3}}},
      {"paris", {{fact::DateTaken, "2023-12-31 23:59:59"}, {fact::Make, "Canon"}, {fact::Latitude, "48.8566"},
                 {fact::Longitude, "2.3522"}},
       {{"Paris", "Paris", 0}}},
      {"santiago", {{fact::Latitude, "-33.45"}, {fact::Longitude, "-70.66"}}, {}},
      {"fiji", {{fact::Latitude, "-17.8"}, {fact::Longitude, "179.99"}}, {}},
      {"nothing", {}, {}},
  };
  MakeCompanionTables(m_settings.images);
  const TableName images = ValidName(m_settings.images);
  for (const Photo& photo : photos) {
    Insert("/p/", photo.name);
    KeyedCompanions row{"/p/", photo.name, {}};
    for (const auto& [f, value] : photo.facts) row.companions.facts[f] = value;
    row.companions.keywords = photo.keywords;
    for (const SqlStatement& insert : InsertFactsRows(FactsTableName(images), {&row, 1}, Dialect().longTextBytes, 99)) {
      connection.Send(insert);
    }
    for (const SqlStatement& insert : InsertKeywordsRows(KeywordsTableName(images), {&row, 1}, 12)) {
      connection.Send(insert);
    }
  }
  const auto day = [](const char* text) { return SearchDay::Parse(text).value(); };
  const auto near = [](const char* text) { return ParseNear(text).value(); };
  struct Case {
    SearchFilter filter;
    Names expected;
  };
  const std::vector<Case> cases = {
      {{.takenFrom = day("2024-05-01")}, {"oslo", "bergen"}},
      {{.takenTo = day("2024-05-01")}, {"oslo", "paris"}},
      {{.takenFrom = day("2024-05-02"), .takenTo = day("2024-05-02")}, {"bergen"}},
      {{.camera = "canon"}, {"oslo", "paris"}},
      {{.camera = "nikon Z"}, {"bergen"}},
      {{.camera = "24-70"}, {"oslo"}},
      {{.near = near("59.91,10.75,10")}, {"oslo"}},
      {{.near = near("60,8,200")}, {"oslo", "bergen"}},
      {{.near = near("-33.4,-70.6,10")}, {"santiago"}},
      {{.near = near("-17.8,-179.99,5")}, {"fiji"}},
      {{.keywords = {"Places|Norway"}}, {"oslo", "bergen"}},
      {{.keywords = {"Oslo"}}, {"oslo"}},
      {{.keywords = {"Bergen"}}, {"bergen"}},
      {{.keywords = {"Places", "Paris"}}, {}},
      {{.digitalSource = "ALGORITHMIC"}, {"bergen"}},
      {{.takenFrom = day("2023-01-01"), .camera = "canon", .keywords = {"Paris"}}, {"paris"}},
      {{.near = near("60,8,200"), .keywords = {"Oslo"}}, {"oslo"}},
      {{.folder = FolderKey::FromPath("/q"), .camera = "canon"}, {}},
      {{.folder = FolderKey::FromPath("/p"), .keywords = {"Places"}}, {"oslo", "bergen"}},
      {{.folder = FolderKey::FromPath("/q"), .keywords = {"Places"}}, {}},
  };
  // Matches read by their keys first, and found by the walk of the images table.
  for (long long few : {CatalogueSearch::kFewMatches, 0LL}) {
    for (const Case& c : cases) EXPECT_EQ(Found(c.filter, few), c.expected) << c.filter.camera << few;
  }
  // The keywords of the matches, each with how many hold it, the most held first.
  CatalogueSearch norway = Start({.keywords = {"Places|Norway"}});
  const Expected<std::vector<CatalogueSearch::KeywordCount>> counts = norway.KeywordCounts(3);
  ASSERT_TRUE(counts) << DescribeMessages();
  std::vector<std::string> said;
  for (const auto& [keyword, matches] : *counts) said.push_back(keyword + " " + std::to_string(matches));
  EXPECT_EQ(said, (std::vector<std::string>{"Places 2", "Places|Norway 2", "Oslo 1"}));

  // The audit: each photo lacking a field, with the fields it lacks. A text lacks when NULL, empty or
  // only spaces; a fact also where the photo has no facts row; Keyword where it has no keyword.
  connection.SendStatement("update " + images.Text() + " set Byline = 'Ann' where FileName in ('paris', 'fiji');");
  connection.SendStatement("update " + images.Text() + " set Byline = ' Bo ' where FileName = 'santiago';");
  connection.SendStatement("update " + images.Text() + " set Byline = '   ' where FileName = 'oslo';");
  connection.SendStatement("update " + images.Text() + " set Byline = null where FileName = 'nothing';");
  connection.SendStatement("update " + FactsTableName(images).Text() + " set Make = ' ' where FileName = 'bergen';");
  const auto lacking = [&](const std::vector<std::string>& fields) {
    CatalogueSearch audit = Start({.missing = fields});
    std::map<std::string, std::vector<std::string>> found;
    const Expected<std::vector<ViewRow>> page = audit.PageAfter(nullptr, 10);
    for (const ViewRow& row : page.Ok() ? *page : std::vector<ViewRow>{}) found[*row[1]] = audit.MissingIn(row);
    EXPECT_EQ(audit.Count().Ok() ? *audit.Count() : -1, static_cast<long long>(found.size()));
    return found;
  };
  using Lacks = std::map<std::string, std::vector<std::string>>;
  EXPECT_EQ(lacking({"Byline", "Make", "Keyword"}), (Lacks{{"oslo", {"Byline"}},
                                                          {"bergen", {"Byline", "Make"}},
                                                          {"santiago", {"Make", "Keyword"}},
                                                          {"fiji", {"Make", "Keyword"}},
                                                          {"nothing", {"Byline", "Make", "Keyword"}}}));
  EXPECT_EQ(lacking({"Latitude"}), (Lacks{{"nothing", {"Latitude"}}}));
  // Files whose content another file shares, and the others of one.
  connection.SendStatement("insert into " + HashesTableName(images).Text() +
                           " values ('/p/', 'oslo', 'h1'), ('/p/', 'paris', 'h1'), ('/p/', 'bergen', 'h2');");
  for (long long few : {CatalogueSearch::kFewMatches, 0LL}) {
    EXPECT_EQ(Found({.withCopies = true}, few), (Names{"oslo", "paris"}));
  }
  EXPECT_EQ(CopiesOf(connection, images, "/p/", "oslo"), (std::vector<std::string>{"/p/paris"}));
  EXPECT_FALSE(CatalogueSearch::Start(connection, port, m_settings, {.missing = {"Bylines"}}, {}, &hintSaid));
  EXPECT_EQ(port.messages.back().text, UnknownFieldMessage("Bylines"));
  port.messages.clear();

  for (const TableName& table : {FactsTableName(images), KeywordsTableName(images), HashesTableName(images)}) {
    connection.SendStatement(DropTableStatement(table));
  }
  for (const SearchFilter& filter : {SearchFilter{.camera = "canon"}, SearchFilter{.missing = {"Keyword"}}}) {
    EXPECT_FALSE(CatalogueSearch::Start(connection, port, m_settings, filter, {}, &hintSaid));
    ASSERT_EQ(port.messages.size(), 1u) << DescribeMessages();
    EXPECT_EQ(port.messages[0].text, kNoCompanionsToSearch);
    port.messages.clear();
  }
  EXPECT_FALSE(CatalogueSearch::Start(connection, port, m_settings, {.withCopies = true}, {}, &hintSaid));
  EXPECT_EQ(port.messages.back().text, kNoHashesToCompare);
}

// 23 matches with many ties in City and Date and a NULL City, titles all different: by page number
// in pages of 4 and page after page in pages of 5, every match comes once, in the same order.
TEST_P(SearchOn, SortedPagesGiveEveryMatchOnceInOrder) {
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
  const auto key = [](const ViewRow& row) { return row[1].value_or("") + "@" + row[0].value_or(""); };

  const std::vector<ViewColumn> columns = ViewColumnsOf(m_settings.custom);
  for (std::size_t column = 0; column < columns.size(); ++column) {
    for (bool descending : {false, true}) {
      SCOPED_TRACE(columns[column].title + (descending ? " desc" : " asc"));
      CatalogueSearch search = Start({}, {column, descending});
      std::vector<std::string> byPage;
      std::vector<std::string> after;
      std::vector<std::string> titles;
      for (long long k = 0; k < 7; ++k) {
        const Expected<std::vector<ViewRow>> page = search.Page(k, 4);
        ASSERT_TRUE(page) << DescribeMessages();
        for (const ViewRow& row : *page) byPage.push_back(key(row));
        for (const ViewRow& row : *page) titles.push_back(row[2].value_or(""));
      }
      std::vector<ViewRow> page;
      for (int n = 0; n < 5; ++n) {
        Expected<std::vector<ViewRow>> next = search.PageAfter(n == 0 ? nullptr : &page.back(), 5);
        ASSERT_TRUE(next && !next->empty()) << DescribeMessages();
        page = std::move(next.Value());
        for (const ViewRow& row : page) after.push_back(key(row));
      }
      EXPECT_EQ(byPage.size(), all.size());
      EXPECT_EQ(Names(byPage.begin(), byPage.end()), all);
      EXPECT_EQ(after, byPage);
      // The order itself, where the values differ in every row.
      if (columns[column].title == "Title") {
        EXPECT_TRUE(descending ? std::is_sorted(titles.rbegin(), titles.rend())
                               : std::is_sorted(titles.begin(), titles.end()));
      }
    }
  }
}

// Each field as the CSV form writes it (its rules are CsvExport's), the rows read page by page.
TEST_P(SearchOn, TheCsvExportHoldsTheHeaderAndEveryRowInTheViewsOrder) {
  m_settings.custom.schemas[0].prefix = "x";
  m_settings.custom.schemas[0].properties[3] = {"ClientName", "7"};
  Insert("/c, d/", "f\"1", {{col::Caption, "line\r\nbreak"}, {CustomColumnIndex(7), "=1+1"}});
  Insert("/e/", "Zürich", {{col::ObjectName, "say \"hi\""}, {col::City, "lf\nonly"}});
  Insert("/f/", "plain");
  CatalogueSearch search = Start({});
  std::ostringstream out;
  EXPECT_EQ(ExportCsv(search, out, {.pageSize = 2}), 3LL) << DescribeMessages();
  EXPECT_EQ(out.str(),
            "Folder,File,Title,Headline,Caption,Keywords,Byline,City,Country,Date,Width,Height,Copyright,ClientName\r\n"
            "\"/c, d/\",\"f\"\"1\",,,\"line\r\nbreak\",,,,,,,,,=1+1\r\n"
            "/e/,Zürich,\"say \"\"hi\"\"\",,,,,\"lf\nonly\",,,,,,\r\n"
            "/f/,plain,,,,,,,,,,,,\r\n");
}

// The most words allowed run on every server; one more is refused before any statement, as is a
// table name carrying another statement; a missing table is reported and handed back.
// A view replaces a view of its name, never a table: the catalogue's own are refused by name, any
// other by the server, and keep their rows.
TEST_P(SearchOn, AViewTakesThePlaceOfAViewButNeverOfATable) {
  Insert("/p/", "dog", {{col::Keywords, "dog"}});
  Insert("/p/", "cat", {{col::Keywords, "cat"}});
  ASSERT_TRUE(Start({.words = "dog"}).MakeView(View())) << DescribeMessages();
  ASSERT_TRUE(Start({.words = "cat"}).MakeView(View())) << DescribeMessages();
  EXPECT_EQ(Scalar("select FileName from " + View().Text() + ";"), "cat");

  const std::string own = Table("Own");
  Open().SendStatement("create table " + own + " (Note varchar(20) primary key);");
  connection.SendStatement("insert into " + own + " values ('kept');");
  EXPECT_TRUE(Start({.words = "dog"}).MakeView(ValidName(own)).Is(ErrorKind::Database));
  EXPECT_EQ(Scalar("select Note from " + own + ";"), "kept");
  port.messages.clear();
  for (const std::string& table : {m_settings.images, m_settings.folders}) {
    EXPECT_TRUE(Start({}).MakeView(ValidName(table)).Is(ErrorKind::Search));
    ASSERT_EQ(port.messages.size(), 1u) << DescribeMessages();
    EXPECT_EQ(port.messages[0].text,
              "'" + table + "' names a table of this catalogue: a view needs a name of its own.");
    port.messages.clear();
  }
  EXPECT_EQ(Count(m_settings.images), "2");
  Open().SendStatement("drop view " + View().Text() + ";");
}

TEST_P(SearchOn, RefusesOneWordTooManyAndABadTableNameAndReportsAMissingTable) {
  Insert("/p/", "a.jpg", {{col::Keywords, "w"}});
  std::string words;
  for (std::size_t i = 0; i < kMaxSearchWords; ++i) words += "w ";
  EXPECT_EQ(Start({.words = words}).Count(), 1LL);
  EXPECT_TRUE(CatalogueSearch::Start(connection, port, m_settings, {.words = words + "w"}).Is(ErrorKind::Search));
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, "A search takes at most 100 words; this one has 101.");

  m_settings.images = Table("Gone");
  CatalogueSearch search = Start({});
  EXPECT_TRUE(search.Count().Is(ErrorKind::Database));
  EXPECT_TRUE(search.Page(0, 10).Is(ErrorKind::Database));
  ASSERT_EQ(port.messages.size(), 3u);
  EXPECT_EQ(port.messages[2].text.rfind("Error ", 0), 0u) << port.messages[2].text;
  m_settings.images = "Images; drop";
  EXPECT_TRUE(CatalogueSearch::Start(connection, port, m_settings, {}).Is(ErrorKind::TableName));
}

}  // namespace
}  // namespace tessarine::test
