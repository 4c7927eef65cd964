#pragma once
// One ODBC connection with its own environment: connects without prompting and reports the
// connect string the driver completed. Statements share ownership, so a result set that outlives
// its caller's connection never touches freed handles. The calls that wait for the server run on
// the connection's own thread (see OdbcCallThread); once one of them was given up, the connection
// no longer answers and its handles are freed behind that call.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/OdbcCallThread.h"
#include "catalogue/OdbcHandle.h"

namespace tessarine {

class OdbcConnection {
 public:
  // Allocates the environment (ODBC 3) and the connection handle; does not connect.
  OdbcConnection();
  ~OdbcConnection();
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // SQLDriverConnect with SQL_DRIVER_NOPROMPT; returns the completed connect string. Throws the
  // NoAnswerError when the driver has not connected within timeoutSeconds.
  std::string Connect(std::string_view driverConnectString, unsigned long timeoutSeconds);

  const OdbcHandle& Handle() const { return m_connection; }
  bool IsConnected() const { return m_connected; }
  const std::string& CompletedConnectString() const { return m_completed; }

  // SQLGetInfo(SQL_DBMS_NAME) of the connected driver; empty when it does not say.
  std::string DbmsName() const;
  // SQL_ATTR_CONNECTION_DEAD: false once the driver knows the connection is gone, or a call was
  // given up. A driver that cannot tell is taken at its word that the connection lives. MariaDB's
  // driver asks the server: it is waited for no longer than a statement.
  bool IsAlive();

  // Runs a driver call that may wait for the server on the connection's thread, and waits for it
  // at most `limit`; nothing when it was given up (see OdbcCallThread). The calls of an in-process
  // driver (SQLite's), which has no server to wait for, run here: a thread's hand-over per call
  // would more than double the time a scan of small files takes.
  std::optional<SQLRETURN> CallServer(std::function<SQLRETURN()> call, std::chrono::milliseconds limit,
                                      SQLHSTMT statement = SQL_NULL_HSTMT);
  // False once a call was given up: nothing may be sent on the connection any more.
  bool Answers() const { return !m_calls.GaveUp(); }
  // Frees a handle of this connection: now, or behind the call given up.
  void Free(OdbcHandle& handle) noexcept;

  // Disconnects; errors are ignored.
  void Disconnect() noexcept;

 private:
  OdbcHandle m_environment;
  OdbcHandle m_connection;  // declared after the environment: freed before it
  bool m_connected = false;
  bool m_inProcess = false;  // the driver is SQLite's
  unsigned long m_timeoutSeconds = 0;
  std::string m_completed;
  OdbcCallThread m_calls;  // declared last: its thread ends before the handles are freed
};

}  // namespace tessarine
