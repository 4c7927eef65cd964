#pragma once
// A statement as sent: its text, with a "?" for each value, and the values bound to those marks
// in order. Values never become SQL text, so what a file holds is stored exactly as it is.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessarine {

struct SqlValue {
  enum class Kind {
    Text,
    Integer,  // bound as a 64-bit integer (the text holds its decimal digits)
    // Bound as a double (the text holds its decimal form, with "."): a server that converts a text
    // reads it by its own locale (Oracle's NLS_NUMERIC_CHARACTERS).
    Real,
  };
  std::string text;
  Kind kind = Kind::Text;
  bool null = false;  // NULL; the text is empty
};

struct SqlStatement {
  std::string text;
  std::vector<SqlValue> values;

  SqlStatement() = default;
  SqlStatement(std::string sql) : text(std::move(sql)) {}  // NOLINT: a plain text is a statement
  SqlStatement(const char* sql) : text(sql) {}             // NOLINT
  SqlStatement(std::string_view sql) : text(sql) {}        // NOLINT
  SqlStatement(std::string sql, std::vector<SqlValue> bound) : text(std::move(sql)), values(std::move(bound)) {}

  SqlStatement& Bind(std::string_view value) {
    values.push_back({std::string(value), SqlValue::Kind::Text});
    return *this;
  }
  SqlStatement& BindInteger(std::string_view digits) {
    values.push_back({std::string(digits), SqlValue::Kind::Integer});
    return *this;
  }
  SqlStatement& BindReal(std::string_view decimal) {
    values.push_back({std::string(decimal), SqlValue::Kind::Real});
    return *this;
  }
  SqlStatement& BindNull() {
    values.push_back({std::string(), SqlValue::Kind::Text, true});
    return *this;
  }
};

}  // namespace tessarine
