#include "core/ValueBound.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

// A cut never splits a UTF-8 sequence: it falls before the character that would cross the bound.
TEST(ValueBound, CutsAtTheBoundBeforeACharacterThatWouldCrossIt) {
  const std::string e = "\xC3\xA9";  // é, two bytes
  const struct Case { std::string text; std::size_t bound; std::string expected; bool cut; } cases[] = {
      {"abc", 3, "abc", false},
      {"abcd", 3, "abc", true},
      {"a" + e, 2, "a", true},
      {"a" + e, 3, "a" + e, false},
      {e + e, 3, e, true},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(CutToBound(text, c.bound), c.cut) << c.text;
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

// A list stops taking items once past the bound, so a million items cost what the bound holds.
TEST(ValueBound, AListStopsGrowingOncePastTheBound) {
  std::string list;
  for (int i = 0; i < 1'000'000; ++i) JoinListItem(list, "kw");
  EXPECT_GT(list.size(), kMaxValueBytes);
  EXPECT_LE(list.size(), kMaxValueBytes + 4);
  EXPECT_EQ(list.substr(0, 10), "kw; kw; kw");
}

}  // namespace
}  // namespace tessarine
