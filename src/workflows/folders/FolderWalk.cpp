#include "workflows/folders/FolderWalk.h"

#include <sys/stat.h>

#include <vector>

#include "core/TextDecoding.h"
#include "metadata/containers/Sidecar.h"
#include "workflows/folders/DirectoryListing.h"

namespace tessarine {

namespace {

// True when the folder holds nothing but what a fresh file system has: nothing, or an empty
// "lost+found" (one the user may not read counts as empty), and lies on another device than its
// parent.
bool IsEmptyMountPoint(const FolderKey& folder, const FolderListing& seen) {
  if (seen.entryCount > 1) return false;
  if (seen.entryCount == 1) {
    if (seen.otherEntries.size() != 1 || *seen.otherEntries.begin() != "lost+found") return false;
    DirectoryListing lostAndFound{std::filesystem::path(folder.Bytes() + "lost+found")};
    for (std::optional<DirectoryEntry> entry; lostAndFound.IsOpen() && (entry = lostAndFound.Next());) {
      if (entry->name != "." && entry->name != "..") return false;
    }
  }
  struct stat self {};
  struct stat parent {};
  if (::stat(folder.Bytes().c_str(), &self) != 0 || ::stat((folder.Bytes() + "..").c_str(), &parent) != 0) {
    return false;
  }
  return self.st_dev != parent.st_dev;
}

// One listing of the folder, its files visited; the names of its subfolders to walk.
struct FolderPass {
  bool goOn = true;
  std::vector<std::string> subfolders;
};

FolderPass ListAndVisit(const FolderKey& folder, DirectoryListing& listing, FolderVisitor& visitor,
                        const WalkRules& rules) {
  FolderPass pass;
  FolderListing seen;
  // The whole listing is read before the first file is visited, so the visitor may read ahead.
  std::vector<std::string> files;
  bool listedAll = false;
  while (!visitor.Stopped()) {
    const std::optional<DirectoryEntry> entry = listing.Next();
    if (!entry) {
      listedAll = listing.Error() == 0;
      break;
    }
    if (entry->name == "." || entry->name == "..") continue;
    ++seen.entryCount;
    if (entry->kind != EntryKind::File) seen.otherEntries.insert(NameToText(entry->name));
    if (entry->kind == EntryKind::Folder) {
      if (!IsSkippedFolder(entry->name)) pass.subfolders.push_back(entry->name);
    } else if (entry->kind == EntryKind::File && !IsHiddenFile(entry->name)) {
      files.push_back(entry->name);
    }
  }
  const int listingError = listing.Error();
  listing.Close();
  if (rules.sidecarsBelongToImages) {
    const std::vector<std::string> sidecars = SetAsideSidecars(files);
    if (!visitor.Stopped()) visitor.SidecarsSetAside(folder, sidecars);
  }

  bool visitedAll = true;
  if (!files.empty() && !visitor.Stopped()) visitor.FilesListed(folder, files);
  for (const std::string& name : files) {
    if (visitor.Stopped() || !visitor.VisitFile(folder, name)) {
      visitedAll = false;
      break;
    }
  }
  if (listingError != 0) visitor.FolderUnreadable(folder, listingError);
  seen.complete = visitedAll && listedAll;
  seen.emptyMountPoint = listedAll && IsEmptyMountPoint(folder, seen);
  pass.goOn = visitor.LeaveFolder(folder, seen);
  return pass;
}

}  // namespace

WalkOutcome WalkFolder(const FolderKey& folder, FolderVisitor& visitor, const WalkRules& rules) {
  FolderPass pass;
  for (bool first = true;; first = false) {
    DirectoryListing listing{std::filesystem::path(folder.Bytes())};
    if (!listing.IsOpen()) {
      visitor.FolderUnreadable(folder, listing.Error());
      return first ? WalkOutcome::Unreadable : WalkOutcome::Ended;
    }
    if (!visitor.EnterFolder(folder)) return WalkOutcome::Ended;
    pass = ListAndVisit(folder, listing, visitor, rules);
    if (!visitor.WalkFolderAgain(folder)) break;
  }
  if (!pass.goOn) return WalkOutcome::Ended;
  const std::vector<std::string>& subfolders = pass.subfolders;

  for (const std::string& name : subfolders) {
    if (visitor.Stopped()) break;
    WalkFolder(folder.Child(name), visitor, rules);
  }
  return WalkOutcome::Walked;
}

}  // namespace tessarine
