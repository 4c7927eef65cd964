#pragma once
// Where "Edit ODBC data sources" leads on Linux: the first graphical data-source editor on the
// search path, else the user's own data-source file for a text editor.

#include <filesystem>
#include <string_view>

namespace tessarine {

// The editors tried, in order.
inline constexpr std::string_view kDataSourceEditors[] = {"ODBCManageDataSourcesQ5", "ODBCManageDataSourcesQ4",
                                                          "ODBCManageDataSourcesQ6"};

// The first executable editor found in the colon-separated search path, or an empty path.
std::filesystem::path FindDataSourceEditor(std::string_view searchPath);

// The user's data-source file: $ODBCINI when set, else $HOME/.odbc.ini.
std::filesystem::path UserOdbcIniFile();

}  // namespace tessarine
