#include "catalogue/EscapeSqlValue.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(EscapeSqlValue, DoublesEveryQuoteTurnsEveryBackslashIntoASlashAndLeavesEveryOtherByte) {
  const std::string other = "\"; drop table x; --\t\r\n\x01 Zürich 😀 %_!" + std::string("a\0b", 3);
  const std::pair<std::string, std::string> cases[] = {
      {"O'Brien", "O''Brien"}, {"''", "''''"}, {"C:\\Photos\\", "C:/Photos/"}, {"\\'", "/''"}, {other, other}, {"", ""},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(EscapeSqlValue(value), expected) << value;
}

}  // namespace
}  // namespace tessarine
