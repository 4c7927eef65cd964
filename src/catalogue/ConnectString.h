#pragma once
// The connect string of a data source, exactly as the program has always written it, and the
// form handed to the driver manager.

#include <string>
#include <string_view>

namespace tessarine {

// What a connection is opened with: the data source name (or the path of a file data source),
// whether it is a file data source, and the credentials, all as stored.
struct DataSource {
  std::string dsn;
  bool fileDsn = false;
  std::string login;
  std::string password;
};

// "ODBC;DSN=" + dsn + ";UID=" + login + ";PWD=" + password, or "ODBC;FileDSN=" + ... for a file
// data source. Values are neither quoted nor escaped.
std::string ConnectString(const DataSource& source);

// The connect string without its "ODBC;" prefix, which SQLDriverConnect does not know.
std::string DriverConnectString(std::string_view connectString);

// The connect string with the value of its PWD= entries replaced by "***", for printing. The known
// password is masked whole even when it holds ";".
std::string MaskPassword(std::string_view connectString, std::string_view password);

}  // namespace tessarine
