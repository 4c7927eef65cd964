#pragma once
// The one walk of a folder tree, shared by the scan and the check: each folder's visible files in
// listing order, then its subfolders, depth first. Hidden entries (a name beginning with "."),
// "_thumbs_" folders and links to folders are passed over (see DirectoryListing).

#include <string>

#include "core/FolderKey.h"

namespace tessarine {

// What the walk does at each step; each answer says whether the walk goes on at that level.
class FolderVisitor {
 public:
  virtual ~FolderVisitor() = default;
  // Read before each entry and before each subfolder.
  virtual bool Stopped() const = 0;
  // The folder's listing is open; false leaves the folder (no files, no subfolders).
  virtual bool EnterFolder(const FolderKey& folder) = 0;
  // One visible file; false ends the folder's files and skips its subfolders.
  virtual bool VisitFile(const FolderKey& folder, const std::string& nameBytes) = 0;
  // After the folder's files; `complete` is false when a VisitFile said so. False skips its
  // subfolders.
  virtual bool LeaveFolder(const FolderKey& folder, bool complete) = 0;
};

// Walks the folder and, unless stopped, its subfolders. A folder that is missing or cannot be read
// is passed over. Returns false when the folder's own walk was ended by its visitor.
bool WalkFolder(const FolderKey& folder, FolderVisitor& visitor);

}  // namespace tessarine
