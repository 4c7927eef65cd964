#include "core/ValueBound.h"

namespace tessarine {

bool CutToBound(std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return false;
  std::size_t end = maxBytes;
  // Back off continuation bytes so the cut falls before the sequence they belong to.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return true;
}

void JoinListItem(std::string& list, std::string_view item) {
  if (list.size() > kMaxValueBytes) return;
  if (!list.empty()) list += "; ";
  list += item;
}

std::vector<std::string> CutColumnsToBound(ColumnValues& columns) {
  static_assert(kMaxValueBytes == 65'535, "the report below names the bound");
  std::vector<std::string> cuts;
  const auto& table = ImageColumns();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const ColumnKind kind = table[c].kind;
    if (kind != ColumnKind::LongText && kind != ColumnKind::Custom) continue;
    if (CutToBound(columns[c])) cuts.push_back(std::string(table[c].name) + " cut to 65,535 bytes");
  }
  return cuts;
}

}  // namespace tessarine
