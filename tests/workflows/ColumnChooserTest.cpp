#include "workflows/xmpcustom/ColumnChooser.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

using Boxes = std::array<std::string, kCustomRowCount>;

int EnabledCount(const ColumnChooserState& state) {
  int n = 0;
  for (bool enabled : state.enabled) n += enabled ? 1 : 0;
  return n;
}

TEST(ColumnChooser, OptionCaptionsAreTwoDigitsThenHundred) {
  EXPECT_EQ(ColumnOptionCaption(0), "01");
  EXPECT_EQ(ColumnOptionCaption(8), "09");
  EXPECT_EQ(ColumnOptionCaption(9), "10");
  EXPECT_EQ(ColumnOptionCaption(98), "99");
  EXPECT_EQ(ColumnOptionCaption(99), "100");
}

TEST(ColumnChooser, TheRowsColumnIsSelectedAndOtherRowsColumnsBlocked) {
  Boxes boxes;
  boxes[RowIndex(0, 4)] = "XMPCustom05";  // the current row
  boxes[RowIndex(0, 0)] = "XMPCustom01";
  boxes[RowIndex(7, 3)] = "XMPCustom100";  // another schema
  const ColumnChooserState state = OpenColumnChooser(boxes, RowIndex(0, 4), true);
  EXPECT_EQ(state.selected, 4);
  EXPECT_FALSE(state.bindsAtOnce);
  EXPECT_TRUE(state.enabled[4]);
  EXPECT_FALSE(state.enabled[0]);
  EXPECT_FALSE(state.enabled[99]);
  EXPECT_EQ(EnabledCount(state), 98);
}

TEST(ColumnChooser, ANewPropertyGetsTheFirstFreeColumnAtOnce) {
  Boxes boxes;
  boxes[RowIndex(2, 0)] = "XMPCustom01";
  boxes[RowIndex(5, 9)] = "XMPCustom02";
  boxes[RowIndex(1, 1)] = "XMPCustom04";
  const ColumnChooserState state = OpenColumnChooser(boxes, RowIndex(0, 0), true);
  EXPECT_EQ(state.selected, 2);  // "03"
  EXPECT_TRUE(state.bindsAtOnce);
}

TEST(ColumnChooser, ARowWithoutPropertyOrColumnGetsNothing) {
  Boxes boxes;
  boxes[RowIndex(0, 1)] = "XMPCustom01";
  const ColumnChooserState state = OpenColumnChooser(boxes, RowIndex(0, 0), false);
  EXPECT_EQ(state.selected, -1);
  EXPECT_FALSE(state.bindsAtOnce);
  EXPECT_FALSE(state.enabled[0]);
}

TEST(ColumnChooser, WithNinetyNineColumnsBoundANewPropertyGetsTheLastFreeOne) {
  Boxes boxes;
  for (int row = 0; row < kCustomRowCount; ++row) boxes[row] = ColumnBoxText(ColumnOptionCaption(row));
  boxes[RowIndex(3, 3)].clear();             // the current row
  boxes[RowIndex(3, 4)] = "XMPCustom100";    // its column "34" now sits elsewhere twice; "100" is taken too
  boxes[RowIndex(9, 9)] = "XMPCustom34";
  ColumnChooserState state = OpenColumnChooser(boxes, RowIndex(3, 3), true);
  EXPECT_EQ(EnabledCount(state), 1);
  EXPECT_EQ(state.selected, 34);  // "35" is the one column no other row holds
  EXPECT_TRUE(state.bindsAtOnce);

  // The row's own column typed on another row too: shown selected, yet blocked.
  boxes[RowIndex(3, 3)] = "XMPCustom34";
  boxes[RowIndex(3, 4)] = "XMPCustom35";
  state = OpenColumnChooser(boxes, RowIndex(3, 3), true);
  EXPECT_EQ(state.selected, 33);
  EXPECT_FALSE(state.enabled[33]);
  EXPECT_FALSE(state.bindsAtOnce);
  EXPECT_EQ(EnabledCount(state), 1);
  EXPECT_TRUE(state.enabled[99]);
}

TEST(ColumnChooser, BoxesAreComparedFromTheirTenthCharacter) {
  Boxes boxes;
  boxes[1] = "XMPCustom7";    // not "07": blocks nothing
  boxes[2] = "xmpcustom08";   // any first nine characters: blocks "08"
  const ColumnChooserState state = OpenColumnChooser(boxes, 0, false);
  EXPECT_EQ(EnabledCount(state), 99);
  EXPECT_FALSE(state.enabled[7]);
}

}  // namespace
}  // namespace tessarine
