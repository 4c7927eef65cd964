#include "cli/FolderArguments.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "workflows/folders/FolderList.h"

namespace tessarine {

FolderKey FolderArgument(std::string_view argument) {
  std::filesystem::path path{std::string(argument)};
  std::error_code ec;
  if (path.is_relative()) {
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute;
  }
  return FolderKey::FromPath(path.lexically_normal().native());
}

std::vector<FolderEntry> EntriesToScan(std::vector<FolderEntry> listed, const std::vector<FolderKey>& folders) {
  if (folders.empty()) {
    for (FolderEntry& entry : listed) entry.checked = true;
    return listed;
  }
  std::vector<FolderEntry> entries = std::move(listed);
  const std::size_t listedCount = entries.size();
  for (const FolderKey& folder : folders) {
    auto same = std::ranges::find(entries, folder, &FolderEntry::folder);
    if (same != entries.end()) {
      same->checked = true;
      continue;
    }
    FolderEntry entry;
    entry.folder = folder;
    entry.status = FolderStatus(folder);
    entry.checked = true;
    for (std::size_t i = 0; i < listedCount; ++i) {
      if (entries[i].folder.Contains(folder)) {
        entry.tag = std::to_string(i + 1);
        break;
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tessarine
