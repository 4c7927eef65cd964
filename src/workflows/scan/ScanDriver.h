#pragma once
// "Scan checked folders": for each ticked entry, catalogue its tree (each file's row replaced once
// the file is read, rows of files gone from disk deleted), count the rows stored and record the
// count and the time in the folders table. An entry that was not finished (stopped, unreachable)
// keeps its count and time.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

class CatalogueConnection;

struct ScanProgress {
  long long filesDone = 0;   // files catalogued since the scan started
  long long filesTotal = 0;  // files the quick count found before the scan (0: not counted)
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
  // A file or folder that could not be read or written, named in the text (also in the log).
  std::function<void(const std::string&)> problem;
};

// How a ticked entry ended, as its "Status" column tells after the scan.
struct EntryOutcome {
  std::size_t index = 0;  // in the entries given to ScanFolders
  std::string status;     // "OK", "Stopped", "Unreachable" or "Failed"
  // For a stopped entry, the rows the table holds for it now (its folders-table row keeps the
  // count of its last finished scan).
  std::optional<long long> rows;
};

struct ScanResult {
  // What ended the scan early: a refused table name, no connection, the wrong kind of database, a
  // lost connection, or a refused statement of the folders table.
  Status status;
  bool stopped = false;
  bool reloadFolderList = false;   // the loop ended normally or by Stop
  long long filesRead = 0;         // files taken up, as the log numbers them
  long long files = 0;             // rows written and committed
  long long failedRows = 0;        // files whose row could not be written (each one logged)
  long long unreadable = 0;        // files and subfolders that could not be read (their rows kept)
  long long unreachable = 0;       // ticked entries whose folder could not be read (rows kept)
  long long failedFolders = 0;     // folders the database refused to start (rows kept)
  std::vector<EntryOutcome> entries;
  std::chrono::seconds elapsed{0};

  // True when some file or folder was not catalogued although the scan ran to its end.
  bool Incomplete() const { return failedRows > 0 || unreadable > 0 || unreachable > 0 || failedFolders > 0; }
};

// Scans the ticked entries of the list (entries with a tag update the row of the entry they
// point to). Status texts, log lines, the preview and messages go through the port; the
// elapsed time is the last status. Never throws for a file or a folder.
ScanResult ScanFolders(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                       bool fileDsnSelected, const std::filesystem::path& settingsFile,
                       const std::vector<FolderEntry>& entries, const ScanHooks& hooks);

// " Elapsed time: <h> h <m> min <s> s"
std::string ElapsedTimeText(std::chrono::seconds elapsed);
// What the scan could not do, for the status line and the summary: "" when it did everything,
// else for example "2 rows not written, 1 folder unreachable (see the log)".
std::string ScanProblemsText(const ScanResult& result);
// The status line at the end of a scan: the elapsed time, then the problems if there were any.
std::string ScanEndText(const ScanResult& result);
// What the scan did, for the line that stays under the folder list: "Stopped: " when it was, the
// files read, the rows written, what could not be done, the elapsed time and the rate.
std::string ScanSummaryText(const ScanResult& result);

}  // namespace tessarine
