#pragma once
// The one walk of a folder tree, shared by the scan and the check: each folder's visible files in
// listing order (the whole listing read first), then its subfolders, depth first. Hidden entries (a name beginning with "."),
// "_thumbs_" folders and links to folders are passed over (see DirectoryListing).

#include <set>
#include <string>
#include <vector>

#include "core/FolderKey.h"

namespace tessarine {

// What one folder's listing showed, once it has been read.
struct FolderListing {
  // The listing was read to its end and every file was visited: what is not in it is gone.
  bool complete = false;
  // The texts (NameToText) of the names of every entry that is not a plain file: folders, passed
  // over or not, and anything else. A stored folder whose name is not among them is gone.
  std::set<std::string> otherEntries;
  // Entries other than "." and "..", of any kind.
  long long entryCount = 0;
  // The folder is a file system of its own (its device differs from its parent's) that holds
  // nothing, or nothing but an empty "lost+found": a disk mounted there, fresh or not yet
  // filled, or the mount gone with its files. Its stored rows are not those of an emptied folder.
  bool emptyMountPoint = false;
};

// What the walk does at each step; each answer says whether the walk goes on at that level.
class FolderVisitor {
 public:
  virtual ~FolderVisitor() = default;
  // Read before each entry and before each subfolder.
  virtual bool Stopped() const = 0;
  // The folder's listing is open; false leaves the folder (no files, no subfolders).
  virtual bool EnterFolder(const FolderKey& folder) = 0;
  // The sidecars among the folder's files, which are not visited as files of their own: before
  // FilesListed, each time the folder is listed with sidecars belonging to their images.
  virtual void SidecarsSetAside(const FolderKey& /*folder*/, const std::vector<std::string>& /*nameBytes*/) {}
  // The folder's visible files, in listing order, before the first of them is visited (not
  // called for a folder without any).
  virtual void FilesListed(const FolderKey& /*folder*/, const std::vector<std::string>& /*nameBytes*/) {}
  // One visible file; false ends the folder's files and skips its subfolders.
  virtual bool VisitFile(const FolderKey& folder, const std::string& nameBytes) = 0;
  // After the folder's files (all of them, or up to one VisitFile said no), with what its listing
  // showed. False skips its subfolders.
  virtual bool LeaveFolder(const FolderKey& folder, const FolderListing& listing) = 0;
  // The folder could not be listed (missing, no permission, an I/O error), or its listing broke
  // off (then LeaveFolder follows with an incomplete listing). `error` is the errno.
  virtual void FolderUnreadable(const FolderKey& folder, int error) = 0;
  // Asked after LeaveFolder: true walks the folder's own files once more, from a new listing (the
  // database gave up the folder's work for a passing reason).
  virtual bool WalkFolderAgain(const FolderKey& /*folder*/) { return false; }
};

// Which of a folder's files the walk visits; the scan, its quick count and the check take the same.
struct WalkRules {
  // With modern formats on, an XMP sidecar ("a.xmp" or "a.jpg.xmp" beside "a.jpg") is read as its
  // image's metadata, not catalogued as a file of its own: the walk passes over it.
  bool sidecarsBelongToImages = false;
};

enum class WalkOutcome {
  Walked,      // the folder was listed (its subfolders were walked unless stopped)
  Unreadable,  // the folder could not be listed: nothing was visited
  Ended,       // the visitor ended the folder's own walk
};

// Walks the folder and, unless stopped, its subfolders.
WalkOutcome WalkFolder(const FolderKey& folder, FolderVisitor& visitor, const WalkRules& rules);

}  // namespace tessarine
