#include "workflows/scan/ScanDriver.h"


#include "catalogue/CatalogueConnection.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/ServerFailure.h"
#include "core/DatabaseError.h"
#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/scan/FolderCataloguer.h"
#include "workflows/scan/FileCount.h"
#include "workflows/scan/ReadAhead.h"
#include "workflows/xmpcustom/UncollectedCustomFields.h"

namespace tessarine {
namespace {

// The rows stored for a folder and its subfolders, or nothing when the count gave no row.
std::optional<long long> CountRows(CatalogueConnection& connection, const SqlStatement& sql) {
  const std::optional<std::string> value = connection.FirstValue(sql);
  if (!value) return std::nullopt;
  try {
    return std::stoll(*value);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The folder whose row a ticked entry updates: its own, or the listed folder its tag points to.
const FolderKey& RowFolder(const std::vector<FolderEntry>& entries, const FolderEntry& entry) {
  if (!entry.IsSubfolderToUpdate()) return entry.folder;
  try {
    const std::size_t position = std::stoul(entry.tag);
    if (position >= 1 && position <= entries.size()) return entries[position - 1].folder;
  } catch (const std::exception&) {
  }
  return entry.folder;
}

}  // namespace

std::string ElapsedTimeText(std::chrono::seconds elapsed) {
  long long s = elapsed.count();
  long long m = s / 60;
  s %= 60;
  long long h = 0;
  if (m >= 60) {
    h = m / 60;
    m %= 60;
  }
  return " Elapsed time: " + std::to_string(h) + " h " + std::to_string(m) + " min " + std::to_string(s) + " s";
}

std::string ScanProblemsText(const ScanResult& result) {
  std::string text;
  auto add = [&](long long count, const char* one, const char* many) {
    if (count == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(count) + " " + (count == 1 ? one : many);
  };
  add(result.failedRows, "row not written", "rows not written");
  add(result.unreadable, "file or folder unreadable", "files or folders unreadable");
  add(result.unreachable, "folder unreachable", "folders unreachable");
  add(result.failedFolders, "folder not scanned", "folders not scanned");
  return text.empty() ? text : text + " (see the log)";
}

std::string ScanEndText(const ScanResult& result) {
  const std::string problems = ScanProblemsText(result);
  return ElapsedTimeText(result.elapsed) + (problems.empty() ? "" : " - " + problems);
}

std::string ScanSummaryText(const ScanResult& result) {
  auto counted = [](long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
  };
  std::string text = std::string(result.stopped ? "Stopped: " : "") + counted(result.filesRead, "file", "files") +
                     " read, " + counted(result.files, "row", "rows") + " written";
  if (const std::string problems = ScanProblemsText(result); !problems.empty()) text += ", " + problems;
  text += ";" + ElapsedTimeText(result.elapsed);
  if (const long long seconds = result.elapsed.count(); seconds > 0) {
    text += ", " + std::to_string((result.filesRead + seconds / 2) / seconds) + " files/s";
  }
  return text;
}

ScanResult ScanFolders(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                       bool fileDsnSelected, const std::filesystem::path& settingsFile,
                       const std::vector<FolderEntry>& entries, const ScanHooks& hooks) {
  const auto start = std::chrono::steady_clock::now();
  ScanResult result;
  auto stopped = [&] { return hooks.stopRequested && hooks.stopRequested(); };
  // Said before every scan until corrected: their values are not collected.
  if (!settings.onlyIptc) WarnOfUncollectedCustomFields(port, settings.custom);

  // Both table names are checked before connecting: a refused one ends the scan before it starts.
  const Expected<TableName> folders = CheckedTableName(port, settings.folders);
  const Expected<TableName> images = folders ? CheckedTableName(port, settings.images) : folders;
  result.status = images.GetStatus();
  std::vector<FolderKey> scanned;
  for (const FolderEntry& entry : entries) {
    if (entry.checked) scanned.push_back(entry.folder);
  }
  if (result.status) result.status = OpenCatalogueToChange(connection, port, settings, fileDsnSelected, scanned);
  if (result.status) {
    // The quick count, for the progress the hooks are given.
    ScanHooks counted = hooks;
    if (hooks.progress) {
      port.SetStatus("counting files");
      const long long total = CountFilesToScan(scanned, hooks.stopRequested, WalkRules{settings.modernFormats});
      counted.progress = [&hooks, total](const ScanProgress& done) {
        ScanProgress withTotal = done;
        withTotal.filesTotal = total;
        hooks.progress(withTotal);
      };
    }
    // Files are read ahead by one worker per core, each with its own parser and decoder process;
    // started only once the catalogue is open to change.
    ReadAhead reader(settings, ParsingErrorDumpFile(settingsFile), ReadAhead::DefaultWorkers());
    FolderCataloguer cataloguer(connection, port, settings, *images, reader, counted);
    bool failed = false;
    for (std::size_t i = 0; i < entries.size() && !failed; ++i) {
      const FolderEntry& entry = entries[i];
      if (!entry.checked) continue;
      if (hooks.markEntry) hooks.markEntry(i, true);
      port.SetStatus("analyzing");
      const TreeEnd end = cataloguer.CatalogueTree(entry.folder);
      EntryOutcome outcome{i, "OK", std::nullopt};
      if (end == TreeEnd::Lost) {
        const DatabaseError& error = *cataloguer.ConnectionLoss();
        if (ScopeOf(error, connection) == FailureScope::Busy) {
          const std::string text = "Another program holds the catalogue's database (" + error.CommonText() +
                                   "): the folder's changes were not written. Try again when it has ended.";
          port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
          result.status = Error(ErrorKind::Busy, text);
        } else {
          ReportDatabaseError(port, error);
          result.status = error;
        }
        outcome.status = "Failed";
        failed = true;
      } else if (end == TreeEnd::Unreachable) {
        ++result.unreachable;
        outcome.status = "Unreachable";
      } else if (end == TreeEnd::Stopped) {
        outcome.status = "Stopped";
        try {
          outcome.rows = CountRows(connection, CountFolderRows(*images, entry.folder, SqlDialectFor(settings.dbms)));
        } catch (const DatabaseError&) {
          // Not counted: the list shows the count of the last finished scan.
        }
      } else {
        try {
          const FolderKey& rowFolder = RowFolder(entries, entry);
          port.SetStatus("counting lines in table '" + images->Text() + "'");
          const long long files =
              CountRows(connection, CountFolderRows(*images, rowFolder, SqlDialectFor(settings.dbms))).value_or(0);
          connection.Send(UpdateFolderRow(*folders, rowFolder, files, LastScanStamp()));
        } catch (const DatabaseError& error) {
          ReportDatabaseError(port, error);
          result.status = error;
          outcome.status = "Failed";
          failed = true;
        }
      }
      result.entries.push_back(outcome);
      port.ProcessEvents();
      if (hooks.markEntry) hooks.markEntry(i, false);
      if (stopped()) {
        result.stopped = true;
        break;
      }
    }
    result.reloadFolderList = !failed;
    result.filesRead = cataloguer.ScanFileCount();
    result.files = cataloguer.CommittedRows();
    result.failedRows = cataloguer.FailedRows();
    result.unreadable = cataloguer.Unreadable();
    result.failedFolders = cataloguer.FailedFolders();
    connection.CloseConnection();
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  port.SetStatus(ScanEndText(result));
  return result;
}

}  // namespace tessarine
