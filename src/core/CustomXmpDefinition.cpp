#include "core/CustomXmpDefinition.h"

#include "core/ImageColumns.h"

namespace tessarine {

std::size_t CustomColumnNumber(std::string_view stored) {
  if (stored.empty() || stored.size() > 3) return 0;
  std::size_t n = 0;
  for (char c : stored) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n >= 1 && n <= kCustomColumnCount ? n : 0;
}

bool IsPlainXmpName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-' || c == '_' || c >= 0x80;
    if (!ok) return false;
  }
  return !(name[0] >= '0' && name[0] <= '9') && name[0] != '.' && name[0] != '-';
}

}  // namespace tessarine
