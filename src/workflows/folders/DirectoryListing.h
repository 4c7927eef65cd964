#pragma once
// One folder's entries, as the scan and the check walk them: names as bytes, links to folders
// never followed, links to files taken as files, anything but files and folders passed over.

#include <dirent.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tessarine {

enum class EntryKind { File, Folder };

struct DirectoryEntry {
  std::string name;  // the name's bytes, as on disk
  EntryKind kind;
};

class DirectoryListing {
 public:
  // Opens the listing; IsOpen() is false when the folder is missing or cannot be read.
  explicit DirectoryListing(const std::filesystem::path& folder);
  bool IsOpen() const { return m_dir != nullptr; }
  // The next file or folder ("." and ".." included as folders), or nothing at the end.
  std::optional<DirectoryEntry> Next();
  void Close() { m_dir.reset(); }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::filesystem::path m_folder;
  std::unique_ptr<DIR, Closer> m_dir;
};

// A folder that is never entered: a name beginning with "." (".", ".." and hidden folders) or
// with "_thumbs_" (the thumbnail folders).
inline bool IsSkippedFolder(const std::string& name) { return name.starts_with('.') || name.starts_with("_thumbs_"); }

// A hidden file: a name beginning with ".".
inline bool IsHiddenFile(const std::string& name) { return name.starts_with('.'); }

}  // namespace tessarine
