#include "workflows/folders/DirectoryListing.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/FileSystemFaults.h"

namespace tessarine {
namespace {

// Links to folders are never followed (a loop would never end); links to files are files.
// Anything but a regular file or a folder is Other: opening a FIFO or a device would block or harm.
EntryKind KindOf(const std::filesystem::path& path, unsigned char type) {
  if (type == DT_REG) return EntryKind::File;
  if (type == DT_DIR) return EntryKind::Folder;
  struct stat info {};
  if (type == DT_UNKNOWN) {
    if (::lstat(path.c_str(), &info) != 0) return EntryKind::Other;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    if (!S_ISLNK(info.st_mode)) return EntryKind::Other;
  } else if (type != DT_LNK) {
    return EntryKind::Other;
  }
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return EntryKind::File;
  return EntryKind::Other;
}

}  // namespace

DirectoryListing::DirectoryListing(const std::filesystem::path& folder) : m_folder(folder) {
  if (const int fault = InjectedFileSystemFault("opendir", folder.native())) {
    m_error = fault;
    return;
  }
  m_dir.reset(::opendir(folder.c_str()));
  if (!m_dir) m_error = errno != 0 ? errno : EIO;
}

std::optional<DirectoryEntry> DirectoryListing::Next() {
  if (!m_dir) return std::nullopt;
  if (const int fault = InjectedFileSystemFault("readdir", m_folder.native())) {
    m_error = fault;
    m_dir.reset();
    return std::nullopt;
  }
  errno = 0;
  const dirent* entry = ::readdir(m_dir.get());
  if (entry == nullptr) {
    // The end of the listing leaves errno alone; a failed read sets it.
    if (errno != 0) m_error = errno;
    m_dir.reset();
    return std::nullopt;
  }
  std::string name = entry->d_name;
  unsigned char type = entry->d_type;
  // Some file systems do not tell an entry's type; the hook's "no entry type" lists as they do.
  if (InjectedFileSystemFault("no entry type", m_folder.native()) != 0) type = DT_UNKNOWN;
  const EntryKind kind = KindOf(m_folder / name, type);
  return DirectoryEntry{std::move(name), kind};
}

}  // namespace tessarine
