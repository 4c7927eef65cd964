#include "catalogue/ConnectString.h"

#include <cctype>

namespace tessarine {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ConnectString(const DataSource& source) {
  std::string text = source.fileDsn ? "ODBC;FileDSN=" : "ODBC;DSN=";
  text += source.dsn;
  text += ";UID=";
  text += source.login;
  text += ";PWD=";
  text += source.password;
  return text;
}

std::string DriverConnectString(std::string_view connectString) {
  constexpr std::string_view kPrefix = "ODBC;";
  if (StartsWithNoCase(connectString, kPrefix)) connectString.remove_prefix(kPrefix.size());
  return std::string(connectString);
}

std::string MaskPassword(std::string_view connectString, std::string_view password) {
  std::string masked;
  std::size_t start = 0;
  while (start < connectString.size()) {
    std::size_t end = connectString.find(';', start);
    if (end == std::string_view::npos) end = connectString.size();
    const std::string_view entry = connectString.substr(start, end - start);
    if (StartsWithNoCase(entry, "PWD=")) {
      // The password is unquoted and may hold ";": when the known password follows, skip all of it
      // (braced or not); otherwise the value runs to the next ";".
      const std::string_view rest = connectString.substr(start + 4);
      std::size_t valueLength = end - start - 4;
      const std::string braced = "{" + std::string(password) + "}";
      if (!password.empty() && rest.starts_with(braced)) {
        valueLength = braced.size();
      } else if (!password.empty() && rest.starts_with(password)) {
        valueLength = password.size();
      }
      masked += "PWD=***";
      end = start + 4 + valueLength;
    } else {
      masked += entry;
    }
    if (end >= connectString.size()) break;
    masked += connectString[end];  // the ";" after the entry
    start = end + 1;
  }
  return masked;
}

}  // namespace tessarine
