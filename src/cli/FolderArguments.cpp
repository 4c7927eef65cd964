#include "cli/FolderArguments.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "core/TextDecoding.h"
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

std::optional<std::vector<FolderKey>> FolderArguments(const std::vector<std::string>& arguments) {
  std::vector<FolderKey> folders;
  for (const std::string& argument : arguments) {
    const FolderKey folder = FolderArgument(argument);
    if (IsForbiddenFolder(folder.Text())) {
      std::cerr << "Forbidden Folder\n" << folder.Text() << '\n';
      return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder.Bytes(), ec)) {
      std::cerr << "Not a folder: " << NameToText(argument) << '\n';
      return std::nullopt;
    }
    folders.push_back(folder);
  }
  return folders;
}

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

std::string UnlistedFolderText(const FolderKey& folder, FolderUse use) {
  if (use == FolderUse::Check) {
    return "Not in the folders list: " + folder.Text() +
           "\nA folder is checked when the folders table lists it or a folder that holds it: add it with "
           "tessarine folders add.";
  }
  return "Not in the folders list: " + folder.Text() +
         "\nA folder is scanned when the folders table lists it or a folder that holds it: add it with "
         "tessarine folders add, or scan it with --add.";
}

}  // namespace tessarine
