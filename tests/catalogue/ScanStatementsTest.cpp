#include "catalogue/ScanStatements.h"

#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
}  // namespace tessarine
