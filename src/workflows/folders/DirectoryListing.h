#pragma once
// One folder's entries, as the scan and the check walk them: names as bytes, links to folders
// never followed, links to files taken as files. Entries of any other kind (a FIFO, a device, a
// link to a folder, an entry gone before it could be looked at) are listed as Other: their names
// still say that the folder holds something of that name.

#include <dirent.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tessarine {

enum class EntryKind { File, Folder, Other };

struct DirectoryEntry {
  std::string name;  // the name's bytes, as on disk
  EntryKind kind;
};

class DirectoryListing {
 public:
  // Opens the listing; IsOpen() is false when the folder is missing or cannot be read.
  explicit DirectoryListing(const std::filesystem::path& folder);
  bool IsOpen() const { return m_dir != nullptr; }
  // The errno of the open or of a read that broke the listing off; 0 while all went well.
  int Error() const { return m_error; }
  // The next entry ("." and ".." included, as folders), or nothing at the end of the listing or
  // when reading it failed (Error() then tells).
  std::optional<DirectoryEntry> Next();
  void Close() { m_dir.reset(); }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::filesystem::path m_folder;
  std::unique_ptr<DIR, Closer> m_dir;
  int m_error = 0;
};

// A folder that is never entered: a name beginning with "." (".", ".." and hidden folders) or
// with "_thumbs_" (the thumbnail folders).
inline bool IsSkippedFolder(const std::string& name) { return name.starts_with('.') || name.starts_with("_thumbs_"); }

// A hidden file: a name beginning with ".".
inline bool IsHiddenFile(const std::string& name) { return name.starts_with('.'); }

}  // namespace tessarine
