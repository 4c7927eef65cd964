#include "catalogue/OdbcConnection.h"

#include <algorithm>
#include <vector>

namespace tessarine {

OdbcConnection::OdbcConnection() : m_environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {
  m_environment.Check("SQLSetEnvAttr",
                      SQLSetEnvAttr(m_environment.Get(), SQL_ATTR_ODBC_VERSION,
                                    reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
  m_connection = OdbcHandle(SQL_HANDLE_DBC, m_environment.Get());
}

OdbcConnection::~OdbcConnection() { Disconnect(); }

std::string OdbcConnection::Connect(std::string_view driverConnectString) {
  if (driverConnectString.size() > SQL_MAX_MESSAGE_LENGTH * 16) {
    throw DatabaseError(0, "HY090", "The connect string is too long");
  }
  std::string in(driverConnectString);
  std::vector<SQLCHAR> out(4096);
  SQLSMALLINT outLength = 0;
  m_connection.Check(
      "SQLDriverConnect",
      SQLDriverConnect(m_connection.Get(), nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                       static_cast<SQLSMALLINT>(in.size()), out.data(), static_cast<SQLSMALLINT>(out.size()),
                       &outLength, SQL_DRIVER_NOPROMPT));
  m_connected = true;
  const auto length = std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(outLength, 0)),
                                            out.size() - 1);
  m_completed.assign(reinterpret_cast<const char*>(out.data()), length);
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

bool OdbcConnection::IsAlive() const {
  if (!m_connected) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  if (!SQL_SUCCEEDED(SQLGetConnectAttr(m_connection.Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) return true;
  return dead != SQL_CD_TRUE;
}

void OdbcConnection::Disconnect() noexcept {
  if (m_connected) {
    SQLDisconnect(m_connection.Get());
    m_connected = false;
  }
}

}  // namespace tessarine
