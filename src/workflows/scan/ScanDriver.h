#pragma once
// "Scan checked folders": for each ticked entry, delete its earlier rows, catalogue it, count the
// rows stored and record the count and the time in the folders table.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

class CatalogueConnection;

struct ScanProgress {
  long long filesDone = 0;  // files catalogued since the scan started
  std::string folder;       // the folder being listed
  std::string file;         // the file just catalogued
};

struct ScanHooks {
  // Read before each directory entry, before subfolders and after each ticked folder.
  std::function<bool()> stopRequested;
  // The entry at this position is being worked on (bold) or done (normal weight).
  std::function<void(std::size_t index, bool working)> markEntry;
  // After each file.
  std::function<void(const ScanProgress&)> progress;
};

struct ScanResult {
  Status status;                   // the first failure: no connection, or a statement refused
  bool stopped = false;
  bool reloadFolderList = false;   // the loop ended normally or by Stop
  long long files = 0;
  std::chrono::seconds elapsed{0};
};

// Scans the ticked entries of the list (entries with a tag update the row of the entry they
// point to). Status texts, log lines, the preview and messages go through the port; the
// elapsed time is the last status. Never throws for a file or a folder.
ScanResult ScanFolders(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                       bool fileDsnSelected, const std::filesystem::path& settingsFile,
                       const std::vector<FolderEntry>& entries, const ScanHooks& hooks);

// " Elapsed time: <h> h <m> min <s> s"
std::string ElapsedTimeText(std::chrono::seconds elapsed);

}  // namespace tessarine
