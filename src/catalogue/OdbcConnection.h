#pragma once
// One ODBC connection with its own environment: connects without prompting and reports the
// connect string the driver completed. Statements share ownership, so a result set that outlives
// its caller's connection never touches freed handles.

#include <memory>
#include <string>
#include <string_view>

#include "catalogue/OdbcHandle.h"

namespace tessarine {

class OdbcConnection {
 public:
  // Allocates the environment (ODBC 3) and the connection handle; does not connect.
  OdbcConnection();
  ~OdbcConnection();
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // SQLDriverConnect with SQL_DRIVER_NOPROMPT; returns the completed connect string.
  std::string Connect(std::string_view driverConnectString);

  const OdbcHandle& Handle() const { return m_connection; }
  bool IsConnected() const { return m_connected; }
  const std::string& CompletedConnectString() const { return m_completed; }

  // SQLGetInfo(SQL_DBMS_NAME) of the connected driver; empty when it does not say.
  std::string DbmsName() const;
  // SQL_ATTR_CONNECTION_DEAD: false once the driver knows the connection is gone. A driver that
  // cannot tell is taken at its word that the connection lives.
  bool IsAlive() const;

  // Disconnects; errors are ignored.
  void Disconnect() noexcept;

 private:
  OdbcHandle m_environment;
  OdbcHandle m_connection;  // declared after the environment: freed before it
  bool m_connected = false;
  std::string m_completed;
};

}  // namespace tessarine
