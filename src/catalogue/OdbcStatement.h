#pragma once
// One ODBC statement on a shared connection: executes SQL text and reads its rows as text.
// Executing and fetching wait for the server at most the query time-out (see OdbcCallThread);
// after a call was given up, every use throws the NoAnswerError.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/OdbcConnection.h"
#include "catalogue/SqlStatement.h"

namespace tessarine {

enum class CursorChoice {
  Scrollable,   // ask for a static (scrollable) cursor; drivers without one fall back silently
  ForwardOnly,  // rows are read once, in order
};

class OdbcStatement {
 public:
  OdbcStatement(std::shared_ptr<OdbcConnection> connection, CursorChoice cursor, unsigned long queryTimeoutSeconds);
  ~OdbcStatement();
  OdbcStatement(const OdbcStatement&) = delete;
  OdbcStatement& operator=(const OdbcStatement&) = delete;

  // Sends the text with the values bound to its "?" marks, in order. Returns true when the
  // statement produced a result with columns. SQL_NO_DATA (an UPDATE or DELETE that matched no
  // row) is success. A value holding a NUL, or an integer value that is not a number, is refused
  // before anything is sent: drivers cut texts at a NUL without a word.
  bool Execute(std::string_view sql, const std::vector<SqlValue>& values = {});
  // The same in two steps: the server reads the text once, then runs it with one set of values
  // after another.
  void Prepare(std::string_view sql);
  bool ExecutePrepared(const std::vector<SqlValue>& values);
  const std::string& PreparedText() const { return m_prepared; }

  // The cursor the driver really gave us.
  bool IsScrollable() const { return m_scrollable; }
  std::size_t ColumnCount() const { return m_columnCount; }
  std::string ColumnName(std::size_t position) const;  // position from 0
  long long RowCount() const;

  // SQLFetchScroll (or SQLFetch on a forward-only cursor); false when there is no such row.
  bool Fetch(SQLSMALLINT orientation = SQL_FETCH_NEXT);
  // The value of a column of the current row as text, std::nullopt for SQL NULL; read once per row,
  // in column order.
  std::optional<std::string> ReadText(std::size_t position);

  void Close() noexcept;

 private:
  struct Marks;
  // Reads what the execution produced; true when it has columns.
  bool AfterExecute(bool hadValues);
  // Throws the NoAnswerError once a call of the connection was given up.
  void RequireAnswers() const;
  // Runs a call that waits for the server on the connection's thread; throws the NoAnswerError
  // when it does not return within the time-out.
  SQLRETURN CallServer(std::function<SQLRETURN()> call);

  std::shared_ptr<OdbcConnection> m_connection;  // keeps the connection alive while we exist
  OdbcHandle m_statement;
  unsigned long m_timeoutSeconds;
  bool m_scrollable = false;
  std::size_t m_columnCount = 0;
  std::string m_prepared;  // the text given to Prepare
  std::shared_ptr<Marks> m_marks;  // the prepared text's marks, bound from one run to the next
};

}  // namespace tessarine
