#pragma once
// Keeps the catalogue current while it runs. Every listed tree is first rescanned with the rule of
// "only new and changed files" (what changed while nobody watched); then the folders the system
// says changed are rescanned the same way, a batch at a time: a burst of copies is gathered until
// it has been quiet for a moment, and each batch takes the folders' lock as a scan does, so a scan
// or check elsewhere waits its turn (and the watch waits for theirs). Trees no watch can follow
// (network file systems, the system's limit of watches) are rescanned every WatchPollSeconds, as
// is every tree when polling is asked for.

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderEntry.h"
#include "workflows/folders/FolderWatcher.h"

namespace tessarine {

class CatalogueConnection;

struct WatchHooks {
  // Read between batches, between files of a batch and several times a second while waiting.
  std::function<bool()> stopRequested;
  // A line for the user: what a batch catalogued, which trees are polled, why the watch waits.
  std::function<void(const std::string&)> say;
  // A failure already reported through the port (the catalogue unreachable, say): the caller may
  // add what its user needs to mend it.
  std::function<void(const Status&)> failed;
  // A file or folder a batch could not read or write (see ScanHooks::problem).
  std::function<void(const std::string&)> problem;
};

class CatalogueWatch {
 public:
  CatalogueWatch(CatalogueConnection& connection, UserPort& port, Settings settings, bool fileDsnSelected,
                 std::filesystem::path settingsFile, bool pollOnly, WatchHooks hooks);

  // Watches until a stop is requested. Fails only when the folder list cannot be read at the
  // start; a batch that fails later is tried again.
  Status Run();

 private:
  enum class BatchEnd { Done, Busy, Failed };

  // Reads the folder list; trees not yet seen are watched, or polled when they cannot be.
  Status LoadList();
  // Rescans the changed folders; they stay to do when the batch did not end.
  BatchEnd ScanDirty();
  // Waits the given time unless a stop is requested first.
  void Pause(std::chrono::seconds length) const;
  bool StopRequested() const { return m_hooks.stopRequested && m_hooks.stopRequested(); }
  void Say(const std::string& line) const;

  CatalogueConnection& m_connection;
  UserPort& m_port;
  Settings m_settings;
  bool m_fileDsnSelected;
  std::filesystem::path m_settingsFile;
  bool m_pollOnly;
  WatchHooks m_hooks;
  FolderWatcher m_watcher;
  std::vector<FolderEntry> m_listed;
  std::set<std::string> m_seen;      // listed folders already watched or polled
  std::vector<FolderKey> m_polled;   // trees rescanned at each poll
  std::set<std::string> m_dirty;     // folders (bytes) to rescan
};

}  // namespace tessarine
