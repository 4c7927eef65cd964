#include "catalogue/EscapeSqlValue.h"

namespace tessarine {

std::string EscapeSqlValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size() + value.size() / 8);
  for (char c : value) {
    if (c == '\'') {
      escaped += "''";
    } else if (c == '\\') {
      escaped += '/';
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace tessarine
