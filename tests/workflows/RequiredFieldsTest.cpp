// What an audit's field names mean: which table and column each names, and how a list splits.

#include <gtest/gtest.h>

#include "workflows/browse/RequiredFields.h"

namespace tessarine {
namespace {

TEST(RequiredFields, EachNameMeansItsColumnItsStandardNameOrAFactAndNothingElse) {
  using T = RequiredField::Table;
  CustomXmpDefinition custom;
  custom.schemas[0] = {"Desk", "http://desk.example/ns/", "desk", {}};
  custom.schemas[0].properties[0] = {"Assignment", "07"};
  struct Case {
    const char* name;
    std::optional<T> table;
    const char* column;
    bool numeric;
  };
  const Case cases[] = {
      {"Byline", T::Images, "Byline", false},
      {"copyrightnotice", T::Images, "Copyright", false},
      {"Title", T::Images, "ObjectName", false},
      {"Assignment", T::Images, "XMPCustom07", false},
      {"XMPCustom99", T::Images, "XMPCustom99", false},
      {"DateTaken", T::Facts, "DateTaken", false},
      {"latitude", T::Facts, "Latitude", true},
      {"ISO", T::Facts, "ISO", true},
      {"Keyword", T::Keywords, "", false},
      {"ModifyTime", std::nullopt, "", false},
      {"Folder", std::nullopt, "", false},
      {"Bylines", std::nullopt, "", false},
  };
  for (const Case& c : cases) {
    const std::optional<RequiredField> field = FindRequiredField(c.name, custom);
    ASSERT_EQ(field.has_value(), c.table.has_value()) << c.name;
    if (!field) continue;
    EXPECT_EQ(field->table, *c.table) << c.name;
    EXPECT_EQ(field->column, c.column) << c.name;
    EXPECT_EQ(field->numeric, c.numeric) << c.name;
  }
}

TEST(RequiredFields, AListSplitsAtCommasSemicolonsAndBlanksKeepingEachNameOnce) {
  EXPECT_EQ(SplitFieldNames(" Byline,Caption ; byline\tKeyword,,"),
            (std::vector<std::string>{"Byline", "Caption", "Keyword"}));
  EXPECT_TRUE(SplitFieldNames(" ,; ").empty());
}

}  // namespace
}  // namespace tessarine
