#include "workflows/folders/FoldersToScan.h"

#include <algorithm>

#include "workflows/folders/FolderList.h"

namespace tessarine {

FoldersToScan EntriesToScan(std::vector<FolderEntry> listed, const std::vector<FolderKey>& folders) {
  FoldersToScan result;
  if (folders.empty()) {
    for (FolderEntry& entry : listed) entry.checked = true;
    result.entries = std::move(listed);
    return result;
  }
  result.entries = std::move(listed);
  std::vector<FolderEntry>& entries = result.entries;
  const std::size_t listedCount = entries.size();
  for (std::size_t n = 0; n < folders.size(); ++n) {
    const FolderKey& folder = folders[n];
    // Named before, or inside another named folder: that one's scan takes it.
    bool taken = false;
    for (std::size_t other = 0; other < folders.size() && !taken; ++other) {
      const bool holds = folders[other].Contains(folder) && !(folders[other] == folder);
      taken = holds || (other < n && folders[other] == folder);
    }
    if (taken) continue;
    auto same = std::ranges::find(entries, folder, &FolderEntry::folder);
    if (same != entries.end()) {
      same->checked = true;
      continue;
    }
    std::size_t container = 0;
    for (std::size_t i = 0; i < listedCount && container == 0; ++i) {
      if (entries[i].folder.Contains(folder)) container = i + 1;
    }
    if (container == 0) {
      result.unlisted.push_back(folder);
      continue;
    }
    FolderEntry entry;
    entry.folder = folder;
    entry.status = FolderStatus(folder);
    entry.checked = true;
    entry.tag = std::to_string(container);
    entries.push_back(std::move(entry));
  }
  return result;
}

}  // namespace tessarine
