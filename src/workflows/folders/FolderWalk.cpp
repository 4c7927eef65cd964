#include "workflows/folders/FolderWalk.h"

#include <vector>

#include "core/TextDecoding.h"
#include "workflows/folders/DirectoryListing.h"

namespace tessarine {

WalkOutcome WalkFolder(const FolderKey& folder, FolderVisitor& visitor) {
  DirectoryListing listing{std::filesystem::path(folder.Bytes())};
  if (!listing.IsOpen()) {
    visitor.FolderUnreadable(folder, listing.Error());
    return WalkOutcome::Unreadable;
  }
  if (!visitor.EnterFolder(folder)) return WalkOutcome::Ended;

  FolderListing seen;
  std::vector<std::string> subfolders;
  bool visitedAll = true;
  bool listedAll = false;
  while (visitedAll && !visitor.Stopped()) {
    const std::optional<DirectoryEntry> entry = listing.Next();
    if (!entry) {
      listedAll = listing.Error() == 0;
      break;
    }
    if (entry->name == "." || entry->name == "..") continue;
    ++seen.entryCount;
    if (entry->kind != EntryKind::File) seen.otherEntries.insert(NameToText(entry->name));
    if (entry->kind == EntryKind::Folder) {
      if (!IsSkippedFolder(entry->name)) subfolders.push_back(entry->name);
    } else if (entry->kind == EntryKind::File && !IsHiddenFile(entry->name)) {
      visitedAll = visitor.VisitFile(folder, entry->name);
    }
  }
  const int listingError = listing.Error();
  listing.Close();
  if (listingError != 0) visitor.FolderUnreadable(folder, listingError);
  seen.complete = visitedAll && listedAll;
  if (!visitor.LeaveFolder(folder, seen)) return WalkOutcome::Ended;

  for (const std::string& name : subfolders) {
    if (visitor.Stopped()) break;
    WalkFolder(folder.Child(name), visitor);
  }
  return WalkOutcome::Walked;
}

}  // namespace tessarine
