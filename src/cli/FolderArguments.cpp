#include "cli/FolderArguments.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "workflows/folders/FolderList.h"

namespace tessarine {

std::string FolderArgumentText(std::string_view argument) {
  std::filesystem::path path{std::string(argument)};
  std::error_code ec;
  if (path.is_relative()) {
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute;
  }
  return FolderListText(path.lexically_normal().native());
}

std::vector<FolderEntry> EntriesToScan(std::vector<FolderEntry> listed, const std::vector<std::string>& folderTexts) {
  if (folderTexts.empty()) {
    for (FolderEntry& entry : listed) entry.checked = true;
    return listed;
  }
  std::vector<FolderEntry> entries = std::move(listed);
  const std::size_t listedCount = entries.size();
  for (const std::string& folder : folderTexts) {
    auto same = std::ranges::find(entries, folder, &FolderEntry::text);
    if (same != entries.end()) {
      same->checked = true;
      continue;
    }
    FolderEntry entry;
    entry.text = folder;
    entry.status = FolderStatus(folder);
    entry.checked = true;
    for (std::size_t i = 0; i < listedCount; ++i) {
      if (folder.starts_with(entries[i].text)) {
        entry.tag = std::to_string(i + 1);
        break;
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tessarine
