#include "catalogue/ScanStatements.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(ScanStatements, MatchAFolderAndItsSubfoldersAsAnEscapedPrefix) {
  EXPECT_EQ(DeleteFolderRows("Images", FolderKey::FromPath("/it's/my_pics/")),
            "delete from Images where (Folder like '/it''s/my!_pics/%' escape '!');");
  EXPECT_EQ(CountFolderRows("Images", FolderKey::FromPath("/100%!/")),
            "select count(*) from Images where(Folder like '/100!%!!/%' escape '!');");
  EXPECT_EQ(UpdateFolderRow("Folders", FolderKey::FromPath("/it's/"), 12, "2007-03-15 14:25:01"),
            "update Folders set Files='12', LastScan='2007-03-15 14:25:01' where (Folder='/it''s/');");
  EXPECT_EQ(InsertFolderRow("Folders", FolderKey::FromPath("/a\\b/")), "insert into Folders values('/a/b/', '','');");
  EXPECT_EQ(DeleteFolderRow("Folders", FolderKey::FromPath("/it's/")), "delete from Folders where Folder='/it''s/';");
}

TEST(ScanStatements, InsertImageRowQuotesEveryValueButTheStamp) {
  ColumnValues columns;
  columns[col::Folder] = "/It's/";
  columns[col::FileName] = "O'Brien\\.jpg";
  columns[col::ModifyTime] = "20070315142501009";
  columns[col::Caption] = "a\\b";
  columns[CustomColumnIndex(100)] = "last";
  const std::string sql = InsertImageRow("Pics", columns);
  EXPECT_EQ(sql.rfind("insert into Pics values('/It''s/','O''Brien/.jpg',20070315142501009,'',", 0), 0u);
  EXPECT_NE(sql.find(",'a/b',"), std::string::npos);
  EXPECT_TRUE(sql.ends_with(",'last');"));
  std::size_t quotedValues = 0;
  for (std::size_t at = sql.find("values(") + 7; at < sql.size(); ++at) quotedValues += sql[at] == ',' ? 1 : 0;
  EXPECT_EQ(quotedValues, kImageColumnCount - 1);  // no comma inside these values
}

TEST(ScanStatements, StampsHaveTheirFixedWidths) {
  const std::string stamp = RowStamp();
  EXPECT_EQ(stamp.size(), 17u);
  EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos);
  const std::string lastScan = LastScanStamp();
  ASSERT_EQ(lastScan.size(), 19u);
  EXPECT_EQ(lastScan[4], '-');
  EXPECT_EQ(lastScan[10], ' ');
  EXPECT_EQ(lastScan[16], ':');
}

}  // namespace
}  // namespace tessarine
