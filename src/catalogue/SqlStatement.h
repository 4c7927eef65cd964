#pragma once
// A statement as sent: its text, with a "?" for each value, and the values bound to those marks
// in order. Values never become SQL text, so what a file holds is stored exactly as it is.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessarine {

struct SqlValue {
  std::string text;
  bool integer = false;  // bound as a 64-bit integer (the text holds its decimal digits)
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
    values.push_back({std::string(value), false});
    return *this;
  }
  SqlStatement& BindInteger(std::string_view digits) {
    values.push_back({std::string(digits), true});
    return *this;
  }
};

}  // namespace tessarine
