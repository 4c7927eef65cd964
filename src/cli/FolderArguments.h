#pragma once
// Folders named on the command line, turned into the folder list's entries.

#include <string>
#include <string_view>
#include <vector>

#include "core/FolderKey.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

// An argument as the folder list holds it: absolute (relative to the working folder), with "."
// and ".." resolved by text (links are not followed), "/" separators and one trailing "/".
FolderKey FolderArgument(std::string_view argument);

// The entries a scan of the named folders takes, all ticked and in the order named after the
// listed ones: a listed folder is its own entry; a subfolder of a listed folder becomes a
// subfolder-to-update entry pointing at the first listed folder that holds it; any other folder
// is an entry of its own. No folders named: every listed folder. A folder named twice counts once.
std::vector<FolderEntry> EntriesToScan(std::vector<FolderEntry> listed, const std::vector<FolderKey>& folders);

}  // namespace tessarine
