#pragma once
// The entries of the folder list a scan of some folders takes.

#include <vector>

#include "core/FolderKey.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

// What a scan of the named folders takes: the entries, all ticked, a listed folder as its own entry
// and a subfolder of a listed folder as a subfolder-to-update entry pointing at the first listed
// folder that holds it. No folders named: every listed folder. A folder named twice, or inside
// another named folder, is scanned once, with the folder that holds it. A folder neither listed
// nor inside a listed one is not scanned (its rows would lie outside every listed folder, where
// the check never looks): it is handed back as unlisted.
struct FoldersToScan {
  std::vector<FolderEntry> entries;
  std::vector<FolderKey> unlisted;
};
FoldersToScan EntriesToScan(std::vector<FolderEntry> listed, const std::vector<FolderKey>& folders);

}  // namespace tessarine
