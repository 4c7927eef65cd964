#pragma once
// A statement with its values written into its text as literals: for what cannot take bound values,
// a view above all (its select is kept by the server and run by other programs). Each server reads a
// backslash in a literal its own way, so the kind of literal is the server's.

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/SqlStatement.h"
#include "core/DbmsKind.h"

namespace tessarine {

enum class TextLiteralStyle {
  Standard,  // 'it''s' (SQLite, Oracle)
  National,  // N'it''s': SQL Server takes a plain literal in the database's code page
  // PostgreSQL: 'a\b', or E'a\\b' where the text holds a backslash, which reads the same whatever
  // standard_conforming_strings says.
  EscapeString,
  // MariaDB and MySQL: 'a', or _utf8mb4 X'615C62' where the text holds a backslash, which reads the
  // same whatever the sql_mode says of backslashes.
  HexWhereBackslash,
};

// The style of the server a connection reached (dbmsName: the driver's SQL_DBMS_NAME).
TextLiteralStyle TextLiteralStyleOf(DbmsKind kind, std::string_view dbmsName);

// The statement's text with each "?" outside quotes ('...', "...", `...`) replaced by its value in
// order; nothing when the marks and the values differ in number, or a value cannot be written (a
// text holding a NUL, a number that is not one).
std::optional<std::string> WithValuesWritten(const SqlStatement& statement, TextLiteralStyle style);

}  // namespace tessarine
