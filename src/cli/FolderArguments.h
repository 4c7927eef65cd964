#pragma once
// Folders named on the command line, turned into the folder list's entries.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FolderKey.h"
#include "workflows/folders/FoldersToScan.h"

namespace tessarine {

// An argument as the folder list holds it: absolute (relative to the working folder), with "."
// and ".." resolved by text (links are not followed), "/" separators and one trailing "/".
FolderKey FolderArgument(std::string_view argument);
// The folders named on the command line; nothing, after saying why on standard error, when one is
// a forbidden folder or no folder at all.
std::optional<std::vector<FolderKey>> FolderArguments(const std::vector<std::string>& arguments);

// Why an unlisted folder is not scanned or checked, and what to do.
enum class FolderUse { Scan, Check };
std::string UnlistedFolderText(const FolderKey& folder, FolderUse use);

}  // namespace tessarine
