#pragma once
// What the column chooser shows when it opens for one row of the custom XMP editor.

#include <array>
#include <string>

#include "workflows/xmpcustom/CustomXmpColumns.h"

namespace tessarine {

struct ColumnChooserState {
  std::array<bool, kCustomRowCount> enabled{};  // per option 0..99
  int selected = -1;                             // the option shown selected, or -1
  bool bindsAtOnce = false;                      // selected is a free column given to a new property
};

// columnBoxes: the column box of every editor row; currentRow: the row whose "Select" was pressed.
// An option is disabled when another row holds its column and selected when the current row does;
// a row with a property name and no column gets the first option still enabled.
ColumnChooserState OpenColumnChooser(const std::array<std::string, kCustomRowCount>& columnBoxes, int currentRow,
                                     bool currentHasPropertyName);

}  // namespace tessarine
