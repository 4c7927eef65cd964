#include "catalogue/CatalogueStatements.h"

#include <gtest/gtest.h>

#include "core/ImageColumns.h"
#include "support/ValidName.h"

namespace tessarine {
namespace {

using test::ValidName;

std::size_t Count(const std::string& text, std::string_view piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

TEST(CatalogueStatements, ImagesTableDefinesEveryColumnOnceInTableOrderWithItsDialectsTypes) {
  for (DbmsKind kind : {DbmsKind::MySqlPostgreSqlEtc, DbmsKind::Oracle, DbmsKind::SqlServer, DbmsKind::Sqlite}) {
    const SqlDialect& d = SqlDialectFor(kind);
    const std::string text(d.longTextType);
    const std::string sql = ImagesTableStatement(ValidName("Images"), d);
    SCOPED_TRACE(sql);
    EXPECT_NE(sql.find(",ModifyTime " + std::string(d.modifyTimeType) + ","), std::string::npos);
    EXPECT_TRUE(sql.ends_with(",primary key(Folder,FileName));"));
    std::size_t at = 0;
    for (const ImageColumn& column : ImageColumns()) {
      const std::string definition = "," + std::string(column.name) + " ";
      const std::size_t found = column.name == "Folder" ? sql.find("(Folder ") : sql.find(definition, at);
      ASSERT_NE(found, std::string::npos) << column.name;
      EXPECT_GE(found, at) << column.name;
      at = found + 1;
    }
    // Every column but the two key columns, the stamp and Checked is long text; 166 definitions
    // and the key clause, each followed by a comma except the last.
    EXPECT_EQ(Count(sql, " " + text + ","), kImageColumnCount - 4);
    EXPECT_EQ(Count(sql, ","), 166u + 1u);
  }
  EXPECT_EQ(ImagesIndexStatement(ValidName("Pics")), "create index PicsIndex on Pics(ModifyTime);");
}

}  // namespace
}  // namespace tessarine
