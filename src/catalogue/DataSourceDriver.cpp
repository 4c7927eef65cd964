#include "catalogue/DataSourceDriver.h"

#include <odbcinst.h>

#include <array>
#include <filesystem>

namespace tessarine {
namespace {

// Measured on Debian 12 with unixODBC 2.3.11, with SQLDriverConnect on user data sources and
// values holding ";", "=", "{" and "}" (server users were given such names and passwords):
//
//   driver (library)                      DSN={...}             UID={...}            PWD={...}
//   SQLite3 ODBC 0.9998 (libsqlite3odbc)  braces kept: opened   split at ";"         split at ";": PWD={x;Database=/f}
//                                         no file of the DSN                         opened (and created) "/f}"
//   psqlodbc 13.02 (psqlodbca, psqlodbcw) braces kept: no       braces kept: login   one value, "}}" read as "}"
//                                         server of the DSN     "{...}" refused
//   MariaDB Connector/ODBC 3.1.15         one value, "}}"       one value, "}}"      one value, "}}" read as "}"
//   (libmaodbc)                           read as "}"           read as "}"
//
// A file data source's values are parsed by the driver manager, which hands them to the driver
// rebuilt without braces: PWD={<password>;Database=postgres} logged in with <password> alone on
// both servers (split), PWD={a}}b...} was refused as "Data source name not found", and the SQLite
// driver opened the file named after the ";". So no value of a file data source is braced.
// A driver not in this table is taken to read no braces: its values are written as they always
// were, and one holding ";", "{" or "}" is refused.
struct DriverBraces {
  std::string_view libraryPrefix;
  BracedValues braced;
};
constexpr std::array kMeasuredDrivers{
    DriverBraces{"psqlodbc", {.dsn = false, .login = false, .password = true}},
    DriverBraces{"libmaodbc", {.dsn = true, .login = true, .password = true}},
};

std::string ProfileString(const std::string& section, const char* key, const char* file) {
  std::array<char, 1024> value{};
  const int length = SQLGetPrivateProfileString(section.c_str(), key, "", value.data(),
                                                 static_cast<int>(value.size()), file);
  return length > 0 ? std::string(value.data()) : std::string();
}

std::string_view KeyCaption(std::string_view key) {
  if (key == "UID") return "The login";
  if (key == "PWD") return "The password";
  return "The data source name";
}

}  // namespace

std::string DataSourceDriverLibrary(std::string_view dsn) {
  if (dsn.empty()) return {};
  const std::string driver = ProfileString(std::string(dsn), "Driver", "odbc.ini");
  if (driver.empty()) return {};
  // The entry names a driver of odbcinst.ini, or is the library's path itself.
  const std::string library = ProfileString(driver, "Driver", "odbcinst.ini");
  return library.empty() ? driver : library;
}

bool DriverInstalled(std::string_view driver) {
  const std::filesystem::path library = ProfileString(std::string(driver), "Driver", "odbcinst.ini");
  if (library.empty()) return false;
  // A bare library name is looked up by the loader's own rules: registered is all that can be told.
  std::error_code ec;
  return library.is_relative() || std::filesystem::is_regular_file(library, ec);
}

BracedValues BracedValuesOf(const DataSource& source) {
  if (source.fileDsn) return {};
  const std::string library = std::filesystem::path(DataSourceDriverLibrary(source.dsn)).filename().string();
  for (const DriverBraces& measured : kMeasuredDrivers) {
    if (library.starts_with(measured.libraryPrefix)) return measured.braced;
  }
  return {};
}

std::string UnsafeValueText(const DataSource& source, std::string_view key) {
  std::string why;
  if (source.fileDsn) {
    why = "the driver manager passes the entries of a file data source on without braces";
  } else {
    const std::string library = DataSourceDriverLibrary(source.dsn);
    why = library.empty() ? "the driver of data source '" + source.dsn + "' is not known"
                          : "the driver of data source '" + source.dsn + "' (" + library + ") does not read it braced";
  }
  return std::string(KeyCaption(key)) + " holds \";\", \"{\" or \"}\" and " + why +
         ": it could be read as further connection entries. The data source was not opened.";
}

}  // namespace tessarine
