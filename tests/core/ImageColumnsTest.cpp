#include "core/ImageColumns.h"

#include <gtest/gtest.h>

#include <set>

namespace tessarine {
namespace {

TEST(ImageColumns, Has166UniqueColumnsInTableOrder) {
  const auto& columns = ImageColumns();
  std::set<std::string_view> names;
  for (const auto& c : columns) names.insert(c.name);
  EXPECT_EQ(names.size(), 166u);
  EXPECT_EQ(columns[0].name, "Folder");
  EXPECT_EQ(columns[2].name, "ModifyTime");
  EXPECT_EQ(columns[38].name, "Customized");   // column 39
  EXPECT_EQ(columns[65].name, "Checked");      // column 66
  EXPECT_EQ(columns[66].name, "XMPCustom01");  // column 67
  EXPECT_EQ(columns[164].name, "XMPCustom99");
  EXPECT_EQ(columns[165].name, "XMPCustom100");
  EXPECT_EQ(columns[165].kind, ColumnKind::Custom);
}

}  // namespace
}  // namespace tessarine
