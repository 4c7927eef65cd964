#include "catalogue/OdbcStatement.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

namespace tessarine {
namespace {

SQLUSMALLINT ColumnNumber(std::size_t position) { return static_cast<SQLUSMALLINT>(position + 1); }

// Texts longer than this are bound as long texts: some drivers refuse a VARCHAR parameter beyond
// the server's VARCHAR limit.
constexpr std::size_t kLongTextThreshold = 4000;

// What one bound value points to while the statement runs.
struct BoundValue {
  SQLLEN length = 0;
  SQLBIGINT integer = 0;
};

SQLBIGINT ParseInteger(const std::string& digits) {
  SQLBIGINT number = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc() || stop != end) {
    throw DatabaseError(0, "22018", "Not a whole number: '" + digits + "'");
  }
  return number;
}

}  // namespace

OdbcStatement::OdbcStatement(std::shared_ptr<OdbcConnection> connection, CursorChoice cursor,
                             unsigned long queryTimeoutSeconds)
    : m_connection(std::move(connection)), m_statement(SQL_HANDLE_STMT, m_connection->Handle().Get()) {
  // Both attributes are wishes: drivers that ignore the time-out (SQLite, MariaDB) or have no
  // scrollable cursor refuse them, and the statement still runs.
  SQLSetStmtAttr(m_statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
  if (cursor == CursorChoice::Scrollable) {
    SQLSetStmtAttr(m_statement.Get(), SQL_ATTR_CURSOR_TYPE,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CURSOR_STATIC)), 0);
  }
}

bool OdbcStatement::Execute(std::string_view sql, const std::vector<SqlValue>& values) {
  // SQL text ends at a NUL for some drivers whatever length we pass: refuse it rather than send
  // a statement other than the one built.
  if (sql.find('\0') != std::string_view::npos) {
    throw DatabaseError(0, "22024", "The statement holds a NUL character and was not sent");
  }
  if (sql.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max())) {
    throw DatabaseError(0, "HY090", "The statement is too long");
  }
  if (values.size() > std::numeric_limits<SQLUSMALLINT>::max()) {
    throw DatabaseError(0, "07002", "Too many values for one statement");
  }
  std::vector<BoundValue> bound(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const SqlValue& value = values[i];
    const auto number = static_cast<SQLUSMALLINT>(i + 1);
    if (value.integer) {
      bound[i].integer = ParseInteger(value.text);
      m_statement.Check("SQLBindParameter",
                        SQLBindParameter(m_statement.Get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                         &bound[i].integer, 0, nullptr));
      continue;
    }
    if (value.text.find('\0') != std::string::npos) {
      throw DatabaseError(0, "22024", "A value holds a NUL character and was not sent");
    }
    if (value.text.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max())) {
      throw DatabaseError(0, "22001", "A value is too long to be sent");
    }
    bound[i].length = static_cast<SQLLEN>(value.text.size());
    const SQLSMALLINT type = value.text.size() > kLongTextThreshold ? SQL_LONGVARCHAR : SQL_VARCHAR;
    m_statement.Check("SQLBindParameter",
                      SQLBindParameter(m_statement.Get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, type,
                                       std::max<SQLULEN>(value.text.size(), 1), 0,
                                       const_cast<char*>(value.text.data()), bound[i].length, &bound[i].length));
  }
  std::string text(sql);
  m_statement.Check("SQLExecDirect", SQLExecDirect(m_statement.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                                   static_cast<SQLINTEGER>(text.size())));
  // The values are ours and go out of scope: the driver must not keep pointing at them.
  if (!values.empty()) SQLFreeStmt(m_statement.Get(), SQL_RESET_PARAMS);
  SQLSMALLINT columns = 0;
  m_statement.Check("SQLNumResultCols", SQLNumResultCols(m_statement.Get(), &columns));
  m_columnCount = columns > 0 ? static_cast<std::size_t>(columns) : 0;

  SQLULEN cursorType = SQL_CURSOR_FORWARD_ONLY;
  if (m_columnCount > 0 &&
      SQL_SUCCEEDED(SQLGetStmtAttr(m_statement.Get(), SQL_ATTR_CURSOR_TYPE, &cursorType, 0, nullptr))) {
    m_scrollable = cursorType != SQL_CURSOR_FORWARD_ONLY;
  }
  return m_columnCount > 0;
}

std::string OdbcStatement::ColumnName(std::size_t position) const {
  std::vector<SQLCHAR> name(256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    SQLSMALLINT length = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    m_statement.Check("SQLDescribeCol",
                      SQLDescribeCol(m_statement.Get(), ColumnNumber(position), name.data(),
                                     static_cast<SQLSMALLINT>(name.size()), &length, &type, &size, &digits,
                                     &nullable));
    const auto needed = static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0));
    if (needed < name.size()) return std::string(reinterpret_cast<const char*>(name.data()), needed);
    name.resize(needed + 1);
  }
  return std::string(reinterpret_cast<const char*>(name.data()));
}

long long OdbcStatement::RowCount() const {
  SQLLEN count = 0;
  m_statement.Check("SQLRowCount", SQLRowCount(m_statement.Get(), &count));
  return static_cast<long long>(count);
}

bool OdbcStatement::Fetch(SQLSMALLINT orientation) {
  const SQLRETURN result = m_scrollable
                               ? m_statement.Check("SQLFetchScroll", SQLFetchScroll(m_statement.Get(), orientation, 0))
                               : m_statement.Check("SQLFetch", SQLFetch(m_statement.Get()));
  return result != SQL_NO_DATA;
}

std::optional<std::string> OdbcStatement::ReadText(std::size_t position) {
  std::string value;
  std::vector<char> buffer(8192);
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN result =
        m_statement.Check("SQLGetData", SQLGetData(m_statement.Get(), ColumnNumber(position), SQL_C_CHAR,
                                                   buffer.data(), static_cast<SQLLEN>(buffer.size()), &indicator));
    if (result == SQL_NO_DATA) break;  // every piece has been read
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    // A piece fills the buffer less its terminator when more follows (or the total is unknown).
    const bool cut = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(buffer.size());
    const std::size_t got = cut ? buffer.size() - 1 : static_cast<std::size_t>(std::max<SQLLEN>(indicator, 0));
    value.append(buffer.data(), got);
    if (!cut || result == SQL_SUCCESS) break;
  }
  return value;
}

void OdbcStatement::Close() noexcept {
  m_statement.Reset();
  m_columnCount = 0;
}

}  // namespace tessarine
