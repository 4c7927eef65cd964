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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value that ODBC reads differently, or not at all, unless it is braced.
bool NeedsBraces(std::string_view value) {
  return value.find_first_of(";{}=") != std::string_view::npos ||
         (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back())));
}

// A value that a driver reading no braces would split, or read with a brace of its own.
bool SplitsUnbraced(std::string_view value) { return value.find_first_of(";{}") != std::string_view::npos; }

std::string Value(std::string_view value, bool braced) {
  if (!braced || !NeedsBraces(value)) return std::string(value);
  std::string text = "{";
  for (char c : value) {
    text += c;
    if (c == '}') text += '}';
  }
  text += '}';
  return text;
}

// The length of the braced value at the start of text ("{" ... "}", "}}" inside), or all of it
// when the closing brace is missing.
std::size_t BracedLength(std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '}') continue;
    if (i + 1 < text.size() && text[i + 1] == '}') {
      ++i;
      continue;
    }
    return i + 1;
  }
  return text.size();
}

}  // namespace

std::string ConnectString(const DataSource& source, BracedValues braced) {
  std::string text = source.fileDsn ? "ODBC;FileDSN=" : "ODBC;DSN=";
  text += Value(source.dsn, braced.dsn);
  text += ";UID=";
  text += Value(source.login, braced.login);
  text += ";PWD=";
  text += Value(source.password, braced.password);
  return text;
}

std::string_view UnsafeConnectValue(const DataSource& source, BracedValues braced) {
  if (!braced.dsn && SplitsUnbraced(source.dsn)) return source.fileDsn ? "FileDSN" : "DSN";
  if (!braced.login && SplitsUnbraced(source.login)) return "UID";
  if (!braced.password && SplitsUnbraced(source.password)) return "PWD";
  return {};
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
      const std::string_view rest = connectString.substr(start + 4);
      std::size_t valueLength = end - start - 4;
      if (rest.starts_with('{')) {
        // A braced value runs to its closing brace, whatever it holds.
        valueLength = BracedLength(rest);
      } else if (!password.empty() && rest.starts_with(password)) {
        // A password written unbraced may hold ";": when the known one follows, skip all of it.
        valueLength = password.size();
      }
      masked += "PWD=***";
      end = connectString.find(';', start + 4 + valueLength);
      if (end == std::string_view::npos) end = connectString.size();
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
