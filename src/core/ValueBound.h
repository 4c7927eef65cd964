#pragma once
// How long a metadata value may grow. MariaDB's and MySQL's "text", 65,535 bytes, is the smallest
// long-text column among the databases a catalogue lives in (Oracle's narrower varchar columns
// aside), so a value cut to it fits every such column, and no file can make a value, a row or a
// statement larger than that, whatever it declares.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/ImageColumns.h"

namespace tessarine {

inline constexpr std::size_t kMaxValueBytes = 65'535;

// Cuts the text to at most maxBytes bytes without splitting a UTF-8 sequence; true when it cut.
bool CutToBound(std::string& text, std::size_t maxBytes = kMaxValueBytes);

// Adds an item to a list joined with "; " (an item added to an empty list stands alone). Once the
// list has passed the bound it takes no more: the cost stays linear in what is kept, and the
// cut the list then needs is made and reported by CutColumnsToBound.
void JoinListItem(std::string& list, std::string_view item);

// Cuts every metadata value of a row (the keys are checked apart) to the bound, and says which:
// "<column> cut to 65,535 bytes", one line per column cut.
std::vector<std::string> CutColumnsToBound(ColumnValues& columns);

}  // namespace tessarine
