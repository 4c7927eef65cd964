#include "catalogue/ScanStatements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "catalogue/CompanionStatements.h"

#include "support/ValidName.h"

namespace tessarine {
namespace {

using test::ValidName;

// Keys are the names as they are; an earlier version's rows held "/" for each "\".
TEST(ScanStatements, FolderPatternsTakeWildcardsLiterallyAndKeysKeepTheirBackslashes) {
  EXPECT_EQ(FolderTreePattern("/it's/my_pics/"), "/it's/my!_pics/%");
  EXPECT_EQ(FolderTreePattern("/100%!/"), "/100!%!!/%");
  EXPECT_EQ(KeyText("/a\\b/O'Brien\\.jpg"), "/a\\b/O'Brien\\.jpg");
  EXPECT_EQ(FormerKeyText("/a\\b/O'Brien\\.jpg"), "/a/b/O'Brien/.jpg");
}

// A key column is varchar(255): counted in characters, in bytes, or not at all by the server.
TEST(ScanStatements, AKeyFitsItsColumnAsTheServerCountsIt) {
  std::string accented;
  for (int i = 0; i < 255; ++i) accented += "\xC3\xA9";  // 255 characters, 510 bytes
  const std::string tooLong(256, 'a');
  EXPECT_TRUE(KeyFits(SqlDialectFor(DbmsKind::MySqlPostgreSqlEtc), accented));
  EXPECT_FALSE(KeyFits(SqlDialectFor(DbmsKind::MySqlPostgreSqlEtc), accented + "e"));
  EXPECT_FALSE(KeyFits(SqlDialectFor(DbmsKind::SqlServer), accented));
  EXPECT_TRUE(KeyFits(SqlDialectFor(DbmsKind::Oracle), std::string(255, 'a')));
  EXPECT_FALSE(KeyFits(SqlDialectFor(DbmsKind::Oracle), tooLong));
  EXPECT_TRUE(KeyFits(SqlDialectFor(DbmsKind::Sqlite), tooLong + accented));
}

TEST(ScanStatements, RowStatementsBindEveryColumnAndOnlyTheStampAsANumber) {
  ColumnValues columns;
  columns[col::Folder] = "/It's/";
  columns[col::FileName] = "O'Brien\\.jpg";
  columns[col::ModifyTime] = "20070315142501009";
  columns[col::Caption] = "a\\b";
  const TableName pics = ValidName("Pics");
  for (const SqlStatement& statement : {InsertImageRow(pics, columns), UpdateImageRow(pics, columns)}) {
    ASSERT_GE(statement.values.size(), kImageColumnCount);
    EXPECT_EQ(std::count(statement.text.begin(), statement.text.end(), '?'), static_cast<long>(statement.values.size()));
    EXPECT_EQ(statement.text.find('\''), std::string::npos) << "no value is spliced into the text";
    EXPECT_EQ(statement.values[col::FileName].text, "O'Brien\\.jpg");
    EXPECT_EQ(statement.values[col::Caption].text, "a\\b");
    for (std::size_t c = 0; c < statement.values.size(); ++c) EXPECT_EQ(statement.values[c].kind == SqlValue::Kind::Integer, c == col::ModifyTime);
  }
}

// Rows go several to a statement of a power of two rows within the values allowed, the largest
// first, in their order: few texts, each prepared once, serve every folder.
TEST(ScanStatements, CompanionRowsGoInStatementsOfAPowerOfTwoRowsInTheirOrder) {
  const std::tuple<std::size_t, std::size_t, std::vector<std::size_t>> cases[] = {
      {0, 24, {}}, {1, 24, {1}}, {7, 24, {4, 2, 1}}, {21, 24, {8, 8, 4, 1}}, {3, 2, {1, 1, 1}}};
  for (const auto& [count, maxValues, expected] : cases) {
    std::vector<KeyedCompanions> rows(count);
    for (std::size_t r = 0; r < count; ++r) {
      rows[r] = {"/f/", std::to_string(r), {}};
      rows[r].companions.contentHash = "h";
    }
    std::vector<std::size_t> sizes;
    std::set<std::string> texts;
    std::size_t next = 0;
    for (const SqlStatement& statement : InsertHashRows(ValidName("H"), rows, maxValues)) {
      sizes.push_back(statement.values.size() / kHashRowValues);
      texts.insert(statement.text);
      EXPECT_EQ(std::count(statement.text.begin(), statement.text.end(), '?'), static_cast<long>(statement.values.size()));
      for (std::size_t v = 1; v < statement.values.size(); v += kHashRowValues) {
        EXPECT_EQ(statement.values[v].text, std::to_string(next++));
      }
    }
    EXPECT_EQ(sizes, expected) << count << " rows";
    EXPECT_EQ(texts.size(), std::set<std::size_t>(sizes.begin(), sizes.end()).size());
  }
}

}  // namespace
}  // namespace tessarine
