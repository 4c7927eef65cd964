#pragma once

#include <string>

#include "core/FolderKey.h"

namespace tessarine {

// One folder of the folder list, as loaded from the folders table or added for one scan.
struct FolderEntry {
  FolderKey folder;      // its bytes on disk and its text in the tables
  std::string status;    // "OK" when the folder exists, "Unknown" when it cannot be found
  std::string files;     // "Count Files": rows stored at the last scan
  std::string lastScan;  // "Last Analyse"
  bool checked = false;
  // Empty for a folder of the folders table; for a subfolder to update, the 1-based position
  // of the listed folder that contains it (whose row count and folders-table row it updates).
  std::string tag;

  bool IsSubfolderToUpdate() const { return !tag.empty(); }
};

}  // namespace tessarine
