#pragma once
// A table name as the statements write it: unquoted, so only a name that cannot end a statement,
// open a comment or a string, or reach past the table may be used. Only TableName::Of makes one,
// so every statement builder that takes a TableName is given a checked name. The same check
// refuses a name where it is typed (the tables tab, the db command) and where it is loaded (a
// settings file written by hand or by another program).

#include <optional>
#include <string>
#include <string_view>

namespace tessarine {

class TableName {
 public:
  // The name, when the text is one: ASCII letters, digits and "_", the first not a digit, and no
  // word SQL reserves (a bare "select" would break every statement that names the table).
  static std::optional<TableName> Of(std::string_view text);

  const std::string& Text() const { return m_text; }
  friend bool operator==(const TableName& a, const TableName& b) { return a.m_text == b.m_text; }

 private:
  explicit TableName(std::string_view text) : m_text(text) {}
  std::string m_text;
};

bool IsValidTableName(std::string_view text);

// The rule, as every report of a refused name states it.
inline constexpr std::string_view kTableNameRule =
    "A table name holds only the letters A-Z and a-z, the digits 0-9 and \"_\", does not begin with a digit, "
    "and is no word SQL reserves (such as SELECT or TABLE).";

// "Invalid table name '<text>'" and the rule on the next line: the report of a name refused at use.
std::string InvalidTableNameText(std::string_view text);

}  // namespace tessarine
