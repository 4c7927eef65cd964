#include "catalogue/SqlLiterals.h"

#include <algorithm>
#include <cctype>

#include "catalogue/ServerKind.h"

namespace tessarine {
namespace {

std::string Quoted(std::string_view text, bool doubleBackslashes) {
  std::string literal = "'";
  for (char c : text) {
    if (c == '\'' || (doubleBackslashes && c == '\\')) literal += c;
    literal += c;
  }
  return literal + "'";
}

std::string Hex(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string literal = "_utf8mb4 X'";
  for (unsigned char c : text) {
    literal += kDigits[c >> 4];
    literal += kDigits[c & 0x0F];
  }
  return literal + "'";
}

std::optional<std::string> TextLiteral(std::string_view text, TextLiteralStyle style) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  const bool backslash = text.find('\\') != std::string_view::npos;
  switch (style) {
    case TextLiteralStyle::Standard:
      break;
    case TextLiteralStyle::National:
      return "N" + Quoted(text, false);
    case TextLiteralStyle::EscapeString:
      if (backslash) return "E" + Quoted(text, true);
      break;
    case TextLiteralStyle::HexWhereBackslash:
      if (backslash) return Hex(text);
      break;
  }
  return Quoted(text, false);
}

// A number as the program binds one: an optional "-", digits, and for a real at most one "." and an
// exponent.
bool IsNumber(std::string_view text, bool real) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  if (text.empty() || text.size() > 40) return false;
  const std::string_view allowed = real ? "0123456789.eE+-" : "0123456789";
  return std::ranges::all_of(text, [&](char c) { return allowed.find(c) != std::string_view::npos; }) &&
         std::isdigit(static_cast<unsigned char>(text.front()));
}

std::optional<std::string> Literal(const SqlValue& value, TextLiteralStyle style) {
  if (value.null) return "null";
  switch (value.kind) {
    case SqlValue::Kind::Text:
      return TextLiteral(value.text, style);
    case SqlValue::Kind::Integer:
    case SqlValue::Kind::Real:
      if (!IsNumber(value.text, value.kind == SqlValue::Kind::Real)) return std::nullopt;
      return value.text;
  }
  return std::nullopt;
}

}  // namespace

TextLiteralStyle TextLiteralStyleOf(DbmsKind kind, std::string_view dbmsName) {
  switch (kind) {
    case DbmsKind::SqlServer:
      return TextLiteralStyle::National;
    case DbmsKind::Sqlite:
    case DbmsKind::Oracle:
      return TextLiteralStyle::Standard;
    case DbmsKind::MySqlPostgreSqlEtc:
      break;
  }
  return BackslashMayEscape(dbmsName) ? TextLiteralStyle::HexWhereBackslash : TextLiteralStyle::EscapeString;
}

std::optional<std::string> WithValuesWritten(const SqlStatement& statement, TextLiteralStyle style) {
  std::string text;
  std::size_t next = 0;
  char quote = 0;  // the quote of the literal or name being passed, if any
  for (char c : statement.text) {
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and opens again: the same
      text += c;
    } else if (c == '\'' || c == '"' || c == '`') {
      quote = c;
      text += c;
    } else if (c == '?') {
      if (next == statement.values.size()) return std::nullopt;
      const std::optional<std::string> literal = Literal(statement.values[next++], style);
      if (!literal) return std::nullopt;
      text += *literal;
    } else {
      text += c;
    }
  }
  if (next != statement.values.size()) return std::nullopt;
  return text;
}

}  // namespace tessarine
