#pragma once
// The catalogue view's folder filter as a tree: the listed folders at the top, below each the
// folders that hold rows (and the folders between), so one shoot can be picked.

#include <cstddef>
#include <string>
#include <vector>

#include "core/Settings.h"

namespace tessarine {

class CatalogueConnection;

struct FolderTreeItem {
  std::string folder;  // as the folders table stores it, with its trailing "/"
  int depth = 0;       // 0 for a listed folder (or one no listed folder holds)
  std::string shown;   // the whole folder at depth 0, else its last name ("shoot/")
};

// The tree in display order: each listed folder followed by the folders below it, depth first in
// name order; a folder goes under the deepest listed folder that holds it. Folders that hold rows
// but lie in no listed folder come last, at depth 0.
std::vector<FolderTreeItem> FolderTreeOf(const std::vector<std::string>& listed,
                                         const std::vector<std::string>& holdingRows);

// The most folders the filter reads from a catalogue (a catalogue of more still searches them all).
inline constexpr std::size_t kMaxFilterFolders = 20000;

// The folders that hold rows, in name order, at most kMaxFilterFolders; none when they cannot be read.
std::vector<std::string> FoldersHoldingRows(CatalogueConnection& connection, const Settings& settings);

}  // namespace tessarine
