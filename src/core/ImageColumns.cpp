#include "core/ImageColumns.h"

#include <cstdio>
#include <deque>

namespace tessarine {

std::string CustomColumnName(std::size_t n) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "XMPCustom%02zu", n);
  return buffer;
}

const std::array<ImageColumn, kImageColumnCount>& ImageColumns() {
  static const auto columns = [] {
    // The names must outlive the string_views that point at them; a deque never moves its elements.
    static std::deque<std::string> customNames;
    std::array<ImageColumn, kImageColumnCount> all{};
    for (std::size_t i = 0; i < kFixedColumnCount; ++i) all[i] = kFixedColumns[i];
    for (std::size_t n = 1; n <= kCustomColumnCount; ++n) {
      customNames.push_back(CustomColumnName(n));
      all[CustomColumnIndex(n)] = {customNames.back(), ColumnKind::Custom};
    }
    return all;
  }();
  return columns;
}

}  // namespace tessarine
