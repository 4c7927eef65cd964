#pragma once
// The quick count before a scan: the visible files of the trees it will walk, listed but not
// opened, so a progress bar can show how far the scan has come.

#include <functional>
#include <vector>

#include "core/FolderKey.h"
#include "workflows/folders/FolderWalk.h"

namespace tessarine {

// The files WalkFolder would visit under the folders; stops early (with what was counted) when
// stopRequested says so.
long long CountFilesToScan(const std::vector<FolderKey>& folders, const std::function<bool()>& stopRequested,
                           const WalkRules& rules);

}  // namespace tessarine
