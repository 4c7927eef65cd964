#include "catalogue/OdbcConnection.h"

#include <algorithm>
#include <new>
#include <vector>

namespace tessarine {

OdbcConnection::OdbcConnection() : m_environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {
  m_environment.Check("SQLSetEnvAttr",
                      SQLSetEnvAttr(m_environment.Get(), SQL_ATTR_ODBC_VERSION,
                                    reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
  m_connection = OdbcHandle(SQL_HANDLE_DBC, m_environment.Get());
}

OdbcConnection::~OdbcConnection() {
  if (Answers()) {
    Disconnect();
    return;
  }
  // The call given up still runs in the driver: disconnect and free once it has returned (a
  // connect given up may have succeeded since, so the disconnect is always sent).
  try {
    m_calls.After([environment = m_environment.Release(), connection = m_connection.Release()] {
      SQLDisconnect(connection);
      SQLFreeHandle(SQL_HANDLE_DBC, connection);
      SQLFreeHandle(SQL_HANDLE_ENV, environment);
    });
  } catch (const std::bad_alloc&) {
    // the handles are left to the end of the process
  }
}

std::string OdbcConnection::Connect(std::string_view driverConnectString, unsigned long timeoutSeconds) {
  if (driverConnectString.size() > SQL_MAX_MESSAGE_LENGTH * 16) {
    throw DatabaseError(0, "HY090", "The connect string is too long");
  }
  // A wish: psqlODBC gives up by itself a connection the server does not answer (MariaDB's driver
  // does not). A second later than we do, so that the error is always ours and the call still ends.
  SQLSetConnectAttr(m_connection.Get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds + 1)), 0);
  // The call may outlive this function when it is given up: it owns what it reads and writes.
  struct Texts {
    std::string in;
    std::vector<SQLCHAR> out = std::vector<SQLCHAR>(4096);
    SQLSMALLINT outLength = 0;
  };
  auto texts = std::make_shared<Texts>();
  texts->in = std::string(driverConnectString);
  const SQLHDBC connection = m_connection.Get();
  const std::optional<SQLRETURN> result = m_calls.Run(
      [connection, texts] {
        return SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(texts->in.data()),
                                static_cast<SQLSMALLINT>(texts->in.size()), texts->out.data(),
                                static_cast<SQLSMALLINT>(texts->out.size()), &texts->outLength,
                                SQL_DRIVER_NOPROMPT);
      },
      std::chrono::seconds(timeoutSeconds));
  if (!result) throw NoAnswerError(timeoutSeconds);
  m_connection.Check("SQLDriverConnect", *result);
  m_connected = true;
  m_timeoutSeconds = timeoutSeconds;
  m_inProcess = DbmsName().find("SQLite") != std::string::npos;
  const auto length = std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(texts->outLength, 0)),
                                            texts->out.size() - 1);
  m_completed.assign(reinterpret_cast<const char*>(texts->out.data()), length);
  return m_completed;
}

std::string OdbcConnection::DbmsName() const {
  std::vector<SQLCHAR> name(256);
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(m_connection.Get(), SQL_DBMS_NAME, name.data(),
                                static_cast<SQLSMALLINT>(name.size()), &length))) {
    return {};
  }
  const auto size = std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), name.size() - 1);
  return std::string(reinterpret_cast<const char*>(name.data()), size);
}

std::optional<SQLRETURN> OdbcConnection::CallServer(std::function<SQLRETURN()> call, std::chrono::milliseconds limit,
                                                    SQLHSTMT statement) {
  if (m_inProcess) return call();
  return m_calls.Run(std::move(call), limit, statement);
}

bool OdbcConnection::IsAlive() {
  if (!m_connected || !Answers()) return false;
  auto dead = std::make_shared<SQLUINTEGER>(SQL_CD_FALSE);
  const SQLHDBC connection = m_connection.Get();
  const std::optional<SQLRETURN> result = CallServer(
      [connection, dead] { return SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, dead.get(), 0, nullptr); },
      std::chrono::seconds(m_timeoutSeconds));
  if (!result) return false;
  if (!SQL_SUCCEEDED(*result)) return true;
  return *dead != SQL_CD_TRUE;
}

void OdbcConnection::Free(OdbcHandle& handle) noexcept {
  if (!handle) return;
  if (Answers()) {
    handle.Reset();
    return;
  }
  const SQLSMALLINT type = handle.Type();
  try {
    m_calls.After([type, raw = handle.Release()] { SQLFreeHandle(type, raw); });
  } catch (const std::bad_alloc&) {
    // the handle is left to the end of the process
  }
}

void OdbcConnection::Disconnect() noexcept {
  if (m_connected && Answers()) {
    SQLDisconnect(m_connection.Get());
    m_connected = false;
  }
}

}  // namespace tessarine
