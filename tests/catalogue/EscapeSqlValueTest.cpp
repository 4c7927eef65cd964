#include "catalogue/EscapeSqlValue.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(EscapeSqlValue, DoublesEveryQuote) {
  EXPECT_EQ(EscapeSqlValue("O'Brien"), "O''Brien");
  EXPECT_EQ(EscapeSqlValue("''"), "''''");
  EXPECT_EQ(EscapeSqlValue("'"), "''");
}

TEST(EscapeSqlValue, TurnsEveryBackslashIntoASlash) {
  EXPECT_EQ(EscapeSqlValue("C:\\Photos\\"), "C:/Photos/");
  EXPECT_EQ(EscapeSqlValue("\\'"), "/''");
}

TEST(EscapeSqlValue, LeavesEverythingElseByteForByte) {
  const std::string other = "\"; drop table x; --\t\r\n\x01 Zürich 😀 %_!";
  EXPECT_EQ(EscapeSqlValue(other), other);
  EXPECT_EQ(EscapeSqlValue(""), "");
  EXPECT_EQ(EscapeSqlValue(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace tessarine
