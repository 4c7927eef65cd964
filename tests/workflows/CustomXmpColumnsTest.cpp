#include "workflows/xmpcustom/CustomXmpColumns.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(CustomXmpColumns, BoxTextAndNumberConvertBothWays) {
  EXPECT_EQ(ColumnBoxText("07"), "XMPCustom07");
  EXPECT_EQ(ColumnBoxText(""), "");
  EXPECT_EQ(ColumnNumberOf("XMPCustom100"), "100");
  EXPECT_EQ(ColumnNumberOf("XMPCustom"), "");
  EXPECT_EQ(ColumnNumberOf("short"), "");
  // Whatever the box holds loses its first nine characters.
  EXPECT_EQ(ColumnNumberOf("ColumnNo:12"), "12");
}

TEST(CustomXmpColumns, DefinitionSurvivesTheEditorsBoxes) {
  CustomXmpDefinition definition;
  definition.schemas[2] = {"Studio ", " http://ns.example.com/s/", "s", {}};
  definition.schemas[2].properties[9] = {"Shoot", "100"};
  definition.schemas[2].properties[0] = {"Empty", ""};
  const CustomXmpDefinition boxes = BoxesFromDefinition(definition);
  EXPECT_EQ(boxes.schemas[2].properties[9].dbFieldName, "XMPCustom100");
  EXPECT_EQ(boxes.schemas[2].properties[0].dbFieldName, "");
  EXPECT_EQ(boxes.schemas[2].description, "Studio ");  // texts stay as typed

  const CustomXmpDefinition back = DefinitionFromBoxes(boxes);
  EXPECT_EQ(back.schemas[2].properties[9].dbFieldName, "100");
  EXPECT_EQ(back.schemas[2].ns, " http://ns.example.com/s/");
  EXPECT_EQ(ColumnBoxesOf(boxes)[RowIndex(2, 9)], "XMPCustom100");
  EXPECT_EQ(RowIndex(2, 9), 29);
}

}  // namespace
}  // namespace tessarine
