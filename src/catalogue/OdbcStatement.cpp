#include "catalogue/OdbcStatement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace tessarine {
namespace {

SQLUSMALLINT ColumnNumber(std::size_t position) { return static_cast<SQLUSMALLINT>(position + 1); }

// Texts longer than this are bound as long texts: some drivers refuse a VARCHAR parameter beyond
// the server's VARCHAR limit.
constexpr std::size_t kLongTextThreshold = 4000;

SQLBIGINT ParseInteger(const std::string& digits) {
  SQLBIGINT number = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc() || stop != end) {
    throw DatabaseError(0, "22018", "Not a whole number: '" + digits + "'");
  }
  return number;
}

double ParseReal(const std::string& decimal) {
  double number = 0;
  const char* end = decimal.data() + decimal.size();
  const auto [stop, error] = std::from_chars(decimal.data(), end, number);
  if (decimal.empty() || error != std::errc() || stop != end || !std::isfinite(number)) {
    throw DatabaseError(0, "22018", "Not a number: '" + decimal + "'");
  }
  return number;
}

// Refuses, before anything is bound, a value the driver would cut or that is no number.
void CheckValues(const std::vector<SqlValue>& values) {
  if (values.size() > std::numeric_limits<SQLUSMALLINT>::max()) {
    throw DatabaseError(0, "07002", "Too many values for one statement");
  }
  for (const SqlValue& value : values) {
    if (value.null) continue;
    if (value.kind == SqlValue::Kind::Real) ParseReal(value.text);
    if (value.kind == SqlValue::Kind::Integer) ParseInteger(value.text);
    if (value.kind != SqlValue::Kind::Text) continue;
    if (value.text.find('\0') != std::string::npos) {
      throw DatabaseError(0, "22024", "A value holds a NUL character and was not sent");
    }
    // A mark's buffer takes twice a value's length.
    if (value.text.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max() / 2)) {
      throw DatabaseError(0, "22001", "A value is too long to be sent");
    }
  }
}

}  // namespace

OdbcStatement::OdbcStatement(std::shared_ptr<OdbcConnection> connection, CursorChoice cursor,
                             unsigned long queryTimeoutSeconds)
    : m_connection(std::move(connection)),
      m_statement(SQL_HANDLE_STMT, m_connection->Handle().Get()),
      m_timeoutSeconds(queryTimeoutSeconds) {
  // Both attributes are wishes: drivers that ignore the time-out (SQLite, MariaDB) or have no
  // scrollable cursor refuse them, and the statement still runs. psqlODBC and MariaDB's driver
  // pass the time-out to the server, which cannot apply it once it has stopped: CallServer does.
  SQLSetStmtAttr(m_statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
  if (cursor == CursorChoice::Scrollable) {
    SQLSetStmtAttr(m_statement.Get(), SQL_ATTR_CURSOR_TYPE,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CURSOR_STATIC)), 0);
  }
}

OdbcStatement::~OdbcStatement() { Close(); }

void OdbcStatement::RequireAnswers() const {
  if (!m_connection->Answers()) throw NoAnswerError(m_timeoutSeconds);
}

SQLRETURN OdbcStatement::CallServer(std::function<SQLRETURN()> call) {
  RequireAnswers();
  const std::optional<SQLRETURN> result =
      m_connection->CallServer(std::move(call), std::chrono::seconds(m_timeoutSeconds), m_statement.Get());
  if (!result) throw NoAnswerError(m_timeoutSeconds);
  return *result;
}

namespace {

void CheckText(std::string_view sql) {
  // SQL text ends at a NUL for some drivers whatever length we pass: refuse it rather than send
  // a statement other than the one built.
  if (sql.find('\0') != std::string_view::npos) {
    throw DatabaseError(0, "22024", "The statement holds a NUL character and was not sent");
  }
  if (sql.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max())) {
    throw DatabaseError(0, "HY090", "The statement is too long");
  }
}

}  // namespace

// The buffers a statement's marks are bound to. A prepared text's stay bound from one run to the
// next: a run writes its values into them and binds again only a mark whose buffer is too small or
// whose type changes. Binding is what MariaDB's driver spends most on (a fifth of a scan's time when
// each run bound every mark again: a batch of rows holds thousands). A text sent once binds a set
// of its own, reset after the call.
struct OdbcStatement::Marks {
  struct Mark {
    bool bound = false;
    SQLSMALLINT cType = 0;
    SQLSMALLINT sqlType = 0;
    std::vector<char> text;  // the buffer a text mark is bound to, what the driver may read
    SQLLEN length = 0;
    SQLBIGINT integer = 0;
    double real = 0;
  };
  std::vector<Mark> marks;

  void Set(OdbcHandle& statement, const std::vector<SqlValue>& values) {
    CheckValues(values);
    if (values.size() != marks.size()) {
      SQLFreeStmt(statement.Get(), SQL_RESET_PARAMS);
      marks.assign(values.size(), Mark{});
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      Set(statement, static_cast<SQLUSMALLINT>(i + 1), values[i], marks[i]);
    }
  }

 private:
  static void Set(OdbcHandle& statement, SQLUSMALLINT number, const SqlValue& value, Mark& mark) {
    if (value.null) {
      mark.length = SQL_NULL_DATA;
      // A mark bound before keeps its type: the driver sends a NULL of it.
      if (!mark.bound) Bind(statement, number, mark, SQL_C_CHAR, SQL_VARCHAR, 1, nullptr, 0);
      return;
    }
    if (value.kind != SqlValue::Kind::Text) {
      const bool real = value.kind == SqlValue::Kind::Real;
      if (real) {
        mark.real = ParseReal(value.text);
      } else {
        mark.integer = ParseInteger(value.text);
      }
      mark.length = 0;
      const SQLSMALLINT cType = real ? SQL_C_DOUBLE : SQL_C_SBIGINT;
      if (mark.cType != cType || !mark.bound) {
        Bind(statement, number, mark, cType, real ? SQL_DOUBLE : SQL_BIGINT, 0,
             real ? static_cast<SQLPOINTER>(&mark.real) : static_cast<SQLPOINTER>(&mark.integer), 0);
      }
      return;
    }
    const std::size_t size = value.text.size();
    const SQLSMALLINT sqlType = size > kLongTextThreshold ? SQL_LONGVARCHAR : SQL_VARCHAR;
    const bool fits = mark.bound && mark.cType == SQL_C_CHAR && mark.sqlType == sqlType && !mark.text.empty() &&
                      size < mark.text.size();
    if (!fits) {
      // Room for longer values to come, within what a VARCHAR mark may be declared.
      std::size_t room = std::max<std::size_t>(size * 2, 64);
      if (sqlType == SQL_VARCHAR) room = std::min(room, kLongTextThreshold);
      mark.text.assign(room + 1, '\0');
    }
    std::copy(value.text.begin(), value.text.end(), mark.text.begin());
    mark.text[size] = '\0';
    mark.length = static_cast<SQLLEN>(size);
    if (!fits) {
      Bind(statement, number, mark, SQL_C_CHAR, sqlType, mark.text.size() - 1, mark.text.data(),
           static_cast<SQLLEN>(mark.text.size()));
    }
  }

  static void Bind(OdbcHandle& statement, SQLUSMALLINT number, Mark& mark, SQLSMALLINT cType, SQLSMALLINT sqlType,
                   SQLULEN columnSize, SQLPOINTER buffer, SQLLEN bufferLength) {
    mark.bound = false;
    statement.Check("SQLBindParameter", SQLBindParameter(statement.Get(), number, SQL_PARAM_INPUT, cType, sqlType,
                                                         std::max<SQLULEN>(columnSize, 1), 0, buffer, bufferLength,
                                                         &mark.length));
    mark.bound = true;
    mark.cType = cType;
    mark.sqlType = sqlType;
  }
};

bool OdbcStatement::AfterExecute(bool hadValues) {
  // The values go with the call: the driver must not keep pointing at them.
  if (hadValues) {
    SQLFreeStmt(m_statement.Get(), SQL_RESET_PARAMS);
    m_marks.reset();
  }
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

bool OdbcStatement::Execute(std::string_view sql, const std::vector<SqlValue>& values) {
  RequireAnswers();
  CheckText(sql);
  // The call may outlive this function when it is given up: it owns the text and the buffers.
  const auto marks = std::make_shared<Marks>();
  marks->Set(m_statement, values);
  const auto text = std::make_shared<std::string>(sql);
  const SQLHSTMT statement = m_statement.Get();
  m_statement.Check("SQLExecDirect", CallServer([statement, text, marks] {
                      return SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text->data()),
                                           static_cast<SQLINTEGER>(text->size()));
                    }));
  return AfterExecute(!values.empty());
}

void OdbcStatement::Prepare(std::string_view sql) {
  RequireAnswers();
  CheckText(sql);
  const auto text = std::make_shared<std::string>(sql);
  const SQLHSTMT statement = m_statement.Get();
  m_statement.Check("SQLPrepare", CallServer([statement, text] {
                      return SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(text->data()),
                                        static_cast<SQLINTEGER>(text->size()));
                    }));
  m_prepared = std::string(sql);
  m_marks.reset();
}

bool OdbcStatement::ExecutePrepared(const std::vector<SqlValue>& values) {
  RequireAnswers();
  // A result left open by the last execution would refuse the next.
  SQLFreeStmt(m_statement.Get(), SQL_CLOSE);
  if (!m_marks) m_marks = std::make_shared<Marks>();
  m_marks->Set(m_statement, values);
  // A run that is given up keeps the buffers alive while the driver may still read them.
  const SQLHSTMT statement = m_statement.Get();
  m_statement.Check("SQLExecute", CallServer([statement, marks = m_marks] { return SQLExecute(statement); }));
  return AfterExecute(false);
}

std::string OdbcStatement::ColumnName(std::size_t position) const {
  RequireAnswers();
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
  RequireAnswers();
  SQLLEN count = 0;
  m_statement.Check("SQLRowCount", SQLRowCount(m_statement.Get(), &count));
  return static_cast<long long>(count);
}

bool OdbcStatement::Fetch(SQLSMALLINT orientation) {
  // A driver that reads rows as they are fetched waits for the server here.
  const SQLHSTMT statement = m_statement.Get();
  const SQLRETURN result =
      m_scrollable ? m_statement.Check("SQLFetchScroll", CallServer([statement, orientation] {
                                         return SQLFetchScroll(statement, orientation, 0);
                                       }))
                   : m_statement.Check("SQLFetch", CallServer([statement] { return SQLFetch(statement); }));
  return result != SQL_NO_DATA;
}

std::optional<std::string> OdbcStatement::ReadText(std::size_t position) {
  RequireAnswers();
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
  m_connection->Free(m_statement);
  m_columnCount = 0;
}

}  // namespace tessarine
