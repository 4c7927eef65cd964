#include "gui/DataSourceEditor.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tessarine {

std::filesystem::path FindDataSourceEditor(std::string_view searchPath) {
  for (std::string_view editor : kDataSourceEditors) {
    std::string_view rest = searchPath;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
      if (folder.empty()) continue;
      const std::filesystem::path candidate = std::filesystem::path(folder) / editor;
      std::error_code ec;
      if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return {};
}

std::filesystem::path UserOdbcIniFile() {
  if (const char* ini = std::getenv("ODBCINI"); ini && *ini) return ini;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".odbc.ini";
}

}  // namespace tessarine
