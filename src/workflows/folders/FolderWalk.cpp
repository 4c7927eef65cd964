#include "workflows/folders/FolderWalk.h"

#include <vector>

#include "workflows/folders/DirectoryListing.h"

namespace tessarine {

bool WalkFolder(const FolderKey& folder, FolderVisitor& visitor) {
  DirectoryListing listing{std::filesystem::path(folder.Bytes())};
  if (!listing.IsOpen()) return true;  // missing or unreadable: nothing for it, no subfolders
  if (!visitor.EnterFolder(folder)) return false;

  std::vector<std::string> subfolders;
  bool complete = true;
  while (complete && !visitor.Stopped()) {
    const std::optional<DirectoryEntry> entry = listing.Next();
    if (!entry) break;
    if (entry->kind == EntryKind::Folder) {
      if (!IsSkippedFolder(entry->name)) subfolders.push_back(entry->name);
    } else if (!IsHiddenFile(entry->name)) {
      complete = visitor.VisitFile(folder, entry->name);
    }
  }
  listing.Close();
  if (!visitor.LeaveFolder(folder, complete) || !complete) return false;

  for (const std::string& name : subfolders) {
    if (visitor.Stopped()) break;
    WalkFolder(folder.Child(name), visitor);
  }
  return true;
}

}  // namespace tessarine
