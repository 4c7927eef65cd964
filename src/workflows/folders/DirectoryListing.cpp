#include "workflows/folders/DirectoryListing.h"

#include <sys/stat.h>

namespace tessarine {
namespace {

// Links to folders are never followed (a loop would never end); links to files are files.
// Anything but a regular file is passed over: opening a FIFO or a device would block or harm.
std::optional<EntryKind> KindOf(const std::filesystem::path& path, unsigned char type) {
  if (type == DT_REG) return EntryKind::File;
  if (type == DT_DIR) return EntryKind::Folder;
  struct stat info {};
  if (type == DT_UNKNOWN) {
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    if (!S_ISLNK(info.st_mode)) return std::nullopt;
  } else if (type != DT_LNK) {
    return std::nullopt;
  }
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return EntryKind::File;
  return std::nullopt;
}

}  // namespace

DirectoryListing::DirectoryListing(const std::filesystem::path& folder)
    : m_folder(folder), m_dir(::opendir(folder.c_str())) {}

std::optional<DirectoryEntry> DirectoryListing::Next() {
  while (m_dir) {
    const dirent* entry = ::readdir(m_dir.get());
    if (entry == nullptr) return std::nullopt;
    std::string name = entry->d_name;
    if (auto kind = KindOf(m_folder / name, entry->d_type)) return DirectoryEntry{std::move(name), *kind};
  }
  return std::nullopt;
}

}  // namespace tessarine
