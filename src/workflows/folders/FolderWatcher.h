#pragma once
// Which folders of the listed trees changed on disk, as the kernel tells (inotify): one watch per
// folder the walk enters (hidden and "_thumbs_" folders are passed over, as by the scan), added
// for new subfolders as they appear. A tree the kernel cannot watch is handed back to be polled:
// one on a network file system (whose changes made on other machines no watch sees), or one met
// once the kernel's watch limit is reached.

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/FolderKey.h"

namespace tessarine {

class FolderWatcher {
 public:
  FolderWatcher();
  ~FolderWatcher();
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // False when the kernel gives no watches at all (every tree is then polled).
  bool Works() const { return m_fd >= 0; }
  // Watches the tree; false when it must be polled instead (see PollReason).
  bool WatchTree(const FolderKey& top);
  // Why the last tree WatchTree refused must be polled.
  const std::string& PollReason() const { return m_pollReason; }
  // True once a new subfolder could not be watched for the kernel's limit: its tree is to be
  // polled from then on.
  bool LimitReached() const { return m_limitReached; }

  // Waits up to `timeout` for changes, then gathers them until `quiet` passes without one or
  // `longest` has passed since the first, or `stop` says so: a burst of copies is one batch. The
  // folders whose entries changed (a folder created, moved or deleted counts for its parent).
  std::set<std::string> WaitForChanges(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet,
                                       std::chrono::milliseconds longest, const std::function<bool()>& stop);

 private:
  // Adds watches for the folder and the folders below it; false once the kernel refuses one.
  bool AddTree(const std::string& folderBytes);
  // Reads the pending events into `changed`; false when there were none.
  bool ReadEvents(std::set<std::string>& changed);

  int m_fd = -1;
  std::map<int, std::string> m_folders;  // watch descriptor -> folder bytes, with a trailing "/"
  std::string m_pollReason;
  bool m_limitReached = false;
};

// True when the folder lies on a file system whose changes a watch may not see (NFS, SMB/CIFS,
// FUSE, 9p, Ceph and the like).
bool OnNetworkFileSystem(const std::string& folderBytes);

}  // namespace tessarine
