#include "catalogue/CatalogueStatements.h"

#include <gtest/gtest.h>

#include "core/ImageColumns.h"

namespace tessarine {
namespace {

const SqlDialect& VariantT() { return SqlDialectFor(DbmsKind::MySqlPostgreSqlEtc); }

std::size_t Count(const std::string& text, std::string_view piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

TEST(CatalogueStatements, FoldersTableIsTheSameForEveryKind) {
  EXPECT_EQ(FoldersTableStatement("Folders"),
            "create table Folders (Folder varchar(255) not null,Files varchar(255),LastScan char(19));");
}

TEST(CatalogueStatements, ImagesTableBeginsAndEndsAsDocumented) {
  const std::string sql = ImagesTableStatement("Images", VariantT());
  EXPECT_TRUE(sql.starts_with("create table Images (Folder varchar(255) not null,FileName varchar(255) not null,"
                              "ModifyTime bigint,ObjectName text,"));
  EXPECT_TRUE(sql.ends_with("XMPCustom100 text,primary key(Folder,FileName));"));
}

TEST(CatalogueStatements, ImagesTableDefinesEveryColumnOnceInTableOrder) {
  const std::string sql = ImagesTableStatement("Images", VariantT());
  std::size_t at = 0;
  for (const ImageColumn& column : ImageColumns()) {
    const std::string definition = "," + std::string(column.name) + " ";
    const std::size_t found = column.name == "Folder" ? sql.find("(Folder ") : sql.find(definition, at);
    ASSERT_NE(found, std::string::npos) << column.name;
    EXPECT_GE(found, at) << column.name;
    at = found + 1;
  }
  // 166 definitions and the key clause, each followed by a comma except the last.
  EXPECT_EQ(Count(sql, ","), 166u + 1u);
}

TEST(CatalogueStatements, EachKindTypesTheStampAndEveryMetadataColumnByItsDialect) {
  for (DbmsKind kind : {DbmsKind::MySqlPostgreSqlEtc, DbmsKind::Oracle, DbmsKind::SqlServer, DbmsKind::Sqlite}) {
    const SqlDialect& d = SqlDialectFor(kind);
    const std::string sql = ImagesTableStatement("Images", d);
    SCOPED_TRACE(sql);
    EXPECT_NE(sql.find("ModifyTime " + std::string(d.modifyTimeType) + ","), std::string::npos);
    // Every column but the two key columns, the stamp and Checked is long text.
    EXPECT_EQ(Count(sql, " " + std::string(d.longTextType) + ","), kImageColumnCount - 4);
    EXPECT_NE(sql.find("(Folder varchar(255) not null,FileName varchar(255) not null,"), std::string::npos);
    EXPECT_NE(sql.find(",Checked char(19),XMPCustom01 "), std::string::npos);
  }
}

TEST(CatalogueStatements, IndexIsNamedAfterTheTableWithNoSpaceBeforeTheParenthesis) {
  EXPECT_EQ(ImagesIndexStatement("Images"), "create index ImagesIndex on Images(ModifyTime);");
  EXPECT_EQ(ImagesIndexStatement("Pics"), "create index PicsIndex on Pics(ModifyTime);");
}

TEST(CatalogueStatements, DropNamesTheTableAsItStands) {
  EXPECT_EQ(DropTableStatement("Folders"), "drop table Folders;");
  EXPECT_EQ(DropTableStatement("cat.Pics"), "drop table cat.Pics;");
}

}  // namespace
}  // namespace tessarine
