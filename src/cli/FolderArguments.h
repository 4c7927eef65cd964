#pragma once
// Folders named on the command line, turned into the folder list's entries.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FolderKey.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

// An argument as the folder list holds it: absolute (relative to the working folder), with "."
// and ".." resolved by text (links are not followed), "/" separators and one trailing "/".
FolderKey FolderArgument(std::string_view argument);
// The folders named on the command line; nothing, after saying why on standard error, when one is
// a forbidden folder or no folder at all.
std::optional<std::vector<FolderKey>> FolderArguments(const std::vector<std::string>& arguments);

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

// Why an unlisted folder is not scanned or checked, and what to do.
enum class FolderUse { Scan, Check };
std::string UnlistedFolderText(const FolderKey& folder, FolderUse use);

}  // namespace tessarine
