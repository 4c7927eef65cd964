#include "workflows/xmpcustom/ColumnChooser.h"

namespace tessarine {

ColumnChooserState OpenColumnChooser(const std::array<std::string, kCustomRowCount>& columnBoxes, int currentRow,
                                     bool currentHasPropertyName) {
  ColumnChooserState state;
  state.enabled.fill(true);
  for (int option = 0; option < kCustomRowCount; ++option) {
    const std::string caption = ColumnOptionCaption(option);
    for (int row = 0; row < kCustomRowCount; ++row) {
      if (columnBoxes[row].empty() || ColumnNumberOf(columnBoxes[row]) != caption) continue;
      if (row == currentRow) {
        state.selected = option;
      } else {
        state.enabled[option] = false;
      }
    }
  }
  const bool currentRowEmpty = currentRow < 0 || currentRow >= kCustomRowCount || columnBoxes[currentRow].empty();
  if (currentHasPropertyName && currentRowEmpty) {
    for (int option = 0; option < kCustomRowCount; ++option) {
      if (!state.enabled[option]) continue;
      state.selected = option;
      state.bindsAtOnce = true;
      break;
    }
  }
  return state;
}

}  // namespace tessarine
