#include "cli/FolderArguments.h"

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
