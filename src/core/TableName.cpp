#include "core/TableName.h"

#include "core/SqlReservedWords.h"

namespace tessarine {
namespace {

// The ASCII tests by hand: std::isalpha follows the locale and would let other letters through.
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsValidTableName(std::string_view text) {
  if (text.empty() || IsAsciiDigit(text.front())) return false;
  for (char c : text) {
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return false;
  }
  return !IsSqlReservedWord(text);
}

std::optional<TableName> TableName::Of(std::string_view text) {
  if (!IsValidTableName(text)) return std::nullopt;
  return TableName(text);
}

std::string InvalidTableNameText(std::string_view text) {
  return "Invalid table name '" + std::string(text) + "'\r\n" + std::string(kTableNameRule);
}

}  // namespace tessarine
