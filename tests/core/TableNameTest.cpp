#include "core/TableName.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

// ASCII letters, digits and "_", not beginning with a digit, and no word SQL reserves: nothing that
// could leave the name.
TEST(TableName, AcceptsAsciiLettersDigitsAndUnderscoreAndRefusesEverythingThatCouldLeaveTheName) {
  for (std::string_view text :
       {"Images", "Folders", "a", "_", "_Pics_2024", "IMAGES_1", "x9", "Selection", "Orders", "select_1"}) {
    EXPECT_EQ(TableName::Of(text).value().Text(), text);  // refused: bad_optional_access fails the test
    EXPECT_TRUE(IsValidTableName(text)) << text;
  }
  const std::string_view refused[] = {
      "", "1Images", "My Pics", " Images", "Images ", "Images;", "Images; drop table Folders; --",
      "Folders;drop/**/table/**/Images;--", "Images--", "Im/*x*/ages", "Images'", "\"Images\"", "`Images`",
      "[Images]", "public.Images", "Images-2", "Images(", "Images)", "Images,x", "Images\t", "Images\n",
      "Bilder_\xC3\xA4",  // a non-ASCII letter
      "Images\xEF\xBC\x9B",  // a full-width semicolon
      std::string_view("Images\0x", 8),
      // Words SQL reserves, in any case, on the standard or on one server.
      "select", "SELECT", "Table", "order", "user", "limit", "Index", "rownum", "top", "autoincrement",
  };
  for (std::string_view text : refused) {
    EXPECT_FALSE(TableName::Of(text).has_value()) << text;
    EXPECT_FALSE(IsValidTableName(text)) << text;
  }
}

TEST(TableName, TheReportNamesTheTextAndStatesTheRule) {
  const std::string report = InvalidTableNameText("a;b");
  EXPECT_NE(report.find("'a;b'"), std::string::npos) << report;
  EXPECT_NE(report.find(kTableNameRule), std::string::npos) << report;
}

}  // namespace
}  // namespace tessarine
