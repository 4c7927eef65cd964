#pragma once
// The connect string of a data source, the form handed to the driver manager, and the masking of
// its password for printing.

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

// The values of the connect string whose braces reach the driver and that it reads as ODBC says:
// "{value}" is one value, with "}}" for each "}" in it. Which ones they are depends on the driver
// and on the kind of data source (BracedValuesOf, DataSourceDriver.h).
struct BracedValues {
  bool dsn = false;
  bool login = false;     // UID
  bool password = false;  // PWD
};

// "ODBC;DSN=" + dsn + ";UID=" + login + ";PWD=" + password, or "ODBC;FileDSN=" + ... for a file
// data source. A value whose braces are read and that holds ";", "{", "}", "=" or a blank at either
// end is written as "{value}" with every "}" doubled; every other value as it stands, as it has
// always been written. A value holding ";", "{" or "}" whose braces are not read would be split by
// the driver: UnsafeConnectValue finds it before the string is used.
std::string ConnectString(const DataSource& source, BracedValues braced = {true, true, true});

// The key ("DSN", "FileDSN", "UID" or "PWD") of the first value that holds ";", "{" or "}" and whose
// braces the driver does not read, so that the driver could take part of it for further entries
// (another database file, another server). Empty when there is none.
std::string_view UnsafeConnectValue(const DataSource& source, BracedValues braced);

// The connect string without its "ODBC;" prefix, which SQLDriverConnect does not know.
std::string DriverConnectString(std::string_view connectString);

// The connect string with the value of its PWD= entries replaced by "***", for printing. A braced
// value is masked to its closing brace ("}}" being a "}" of the value); the known password is masked
// whole even when it stands unbraced and holds ";".
std::string MaskPassword(std::string_view connectString, std::string_view password);

}  // namespace tessarine
