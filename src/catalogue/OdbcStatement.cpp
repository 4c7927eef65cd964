#include "catalogue/OdbcStatement.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tessarine {
namespace {

SQLUSMALLINT ColumnNumber(std::size_t position) { return static_cast<SQLUSMALLINT>(position + 1); }

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

bool OdbcStatement::Execute(std::string_view sql) {
  // SQL text ends at a NUL for some drivers whatever length we pass: refuse it rather than send
  // a statement other than the one built.
  if (sql.find('\0') != std::string_view::npos) {
    throw DatabaseError(0, "22024", "The statement holds a NUL character and was not sent");
  }
  if (sql.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max())) {
    throw DatabaseError(0, "HY090", "The statement is too long");
  }
  std::string text(sql);
  m_statement.Check("SQLExecDirect", SQLExecDirect(m_statement.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                                   static_cast<SQLINTEGER>(text.size())));
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
