// tessarine check: the consistency check of the window's "Check" tab without a window. Prints the
// files without rows and the rows without files (folder and file, tab-separated) and the totals;
// deletes either list only when asked. Ctrl-C (or SIGTERM) stops the walk after the file in
// progress: nothing is printed as a list and nothing deleted; a second one ends the tool at once.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/JsonLines.h"
#include "cli/StopSignals.h"
#include "workflows/verify/ConsistencyCheck.h"

namespace tessarine {
namespace {

struct CheckOptions {
  std::string settingsFile;
  std::vector<std::string> folders;
  bool deleteLines = false;
  bool deleteFiles = false;
  bool verbose = false;
  bool json = false;
};

void PrintList(const char* caption, std::size_t count, const auto& entries) {
  std::cout << caption << ": " << count << '\n';
  for (const auto& entry : entries) std::cout << entry.folder << '\t' << entry.file << '\n';
}

// --json: each entry a line of its own kind, the totals last (after any deletion).
void PrintJsonList(const char* kind, const auto& entries) {
  for (const auto& entry : entries) {
    WriteJsonLine(std::cout, {{"kind", kind}, {"folder", entry.folder}, {"file", entry.file}});
  }
}

int RunCheck(const CheckOptions& options) {
  const std::optional<std::vector<FolderKey>> named = FolderArguments(options.folders);
  if (!named) return kUsageStatus;
  StopOnSignals stop;
  CommandContext context(options.settingsFile, ConsoleOptions{.verbose = options.verbose});
  const Settings& settings = context.CurrentSettings();
  ConsoleUserPort& port = context.Port();
  CatalogueConnection& connection = context.Connection();

  // The folder list, reloaded from the folders table as the window does first.
  const auto listed = context.LoadFolders();
  if (!listed) return kFailedStatus;
  // The named folders as a scan takes them: each once, inside a listed folder (the rows of any other
  // lie where no check looks).
  const FoldersToScan chosen = EntriesToScan(*listed, *named);
  if (!chosen.unlisted.empty()) {
    for (const FolderKey& folder : chosen.unlisted) std::cerr << UnlistedFolderText(folder, FolderUse::Check) << '\n';
    return kUsageStatus;
  }
  std::vector<FolderEntry> folders;
  for (const FolderEntry& entry : chosen.entries) {
    if (entry.checked) folders.push_back(entry);  // the listed folders not named are not walked
  }

  CheckHooks hooks;
  hooks.cancelRequested = [] { return StopOnSignals::Requested(); };
  hooks.problem = [&](const std::string& text) {
    if (!options.verbose) std::cerr << text << '\n';
  };
  CheckResult result = RunConsistencyCheck(connection, port, settings, settings.fileDsn, folders, hooks);
  if (!result.status) {
    // A refused connection was reported as it happened; a refused query only in the status line.
    if (result.status.Is(ErrorKind::Database)) std::cerr << port.LastStatus() << '\n';
    return context.ExplainFailure(result.status);
  }
  if (result.cancelled) {
    std::cerr << "Check stopped: the lists are incomplete, nothing was printed or deleted\n";
    return StopOnSignals::StoppedStatus();
  }
  // The deletions empty the lists they act on: the totals are counted first.
  nlohmann::ordered_json totals = {{"kind", "totals"},
                                   {"filesWithoutLines", result.filesWithoutLines.size()},
                                   {"linesWithoutFiles", result.linesWithoutFiles.size()},
                                   {"unreadableFolders", result.unreachable.size()},
                                   {"notCatalogued", result.notCatalogued.size()},
                                   {"files", result.files},
                                   {"status", port.LastStatus()}};
  if (options.json) {
    PrintJsonList("fileWithoutLine", result.filesWithoutLines);
    PrintJsonList("lineWithoutFile", result.linesWithoutFiles);
    PrintJsonList("notCatalogued", result.notCatalogued);
    for (const std::string& folder : result.unreachable) {
      WriteJsonLine(std::cout, {{"kind", "unreadableFolder"}, {"folder", folder}});
    }
  } else {
    PrintList("Files without corresponding lines in images table", result.filesWithoutLines.size(),
              result.filesWithoutLines);
    PrintList("Lines in images table without corresponding files", result.linesWithoutFiles.size(),
              result.linesWithoutFiles);
    if (!result.notCatalogued.empty()) {
      PrintList("Files this server cannot catalogue (never deleted)", result.notCatalogued.size(),
                result.notCatalogued);
    }
    if (!result.unreachable.empty()) {
      std::cout << "Folders that could not be read (their lines are kept): " << result.unreachable.size() << '\n';
      for (const std::string& folder : result.unreachable) std::cout << folder << '\n';
    }
    std::cout << port.LastStatus() << '\n';
  }
  const bool incomplete = result.folderErrors > 0 || !result.unreachable.empty() || result.unreadable > 0;
  int status = incomplete ? kFailedStatus : 0;

  if (options.deleteFiles) {
    const int deleted =
        DeleteFilesWithoutLines(connection, port, settings, settings.fileDsn, result.filesWithoutLines);
    totals["filesMovedToTrash"] = deleted;
    if (!options.json) std::cout << "Files moved to the trash: " << deleted << '\n';
    // What stays listed should have moved and did not (the reason was told): not a success.
    if (!result.filesWithoutLines.empty()) {
      totals["filesNotMovedToTrash"] = result.filesWithoutLines.size();
      if (!options.json) std::cout << "Files not moved to the trash: " << result.filesWithoutLines.size() << '\n';
      status = kFailedStatus;
    }
  }
  if (options.deleteLines) {
    // A folder whose walk failed left its rows unmarked although their files exist: keep them.
    if (result.folderErrors > 0) {
      std::cerr << "Lines not deleted: the check met database errors\n";
    } else {
      const int deleted =
          DeleteLinesWithoutFiles(connection, port, settings, settings.fileDsn, result.linesWithoutFiles);
      totals["deletedLines"] = deleted;
      if (!options.json) std::cout << "Deleted lines: " << deleted << '\n';
      if (!result.linesWithoutFiles.empty()) status = kFailedStatus;
    }
  }
  if (options.json) WriteJsonLine(std::cout, totals);
  return status;
}

}  // namespace

void RegisterCheckCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App* check = app.add_subcommand(
      "check", "Check the images table against the folders on disk: files without rows, rows without files");
  check->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  check->add_flag("--delete-lines", options->deleteLines, "Delete the rows whose file is gone");
  check->add_flag("--delete-files", options->deleteFiles, "Move the files that have no row to the trash");
  check->add_flag("-v,--verbose", options->verbose, "Print every status as the check goes");
  check->add_flag("--json", options->json,
                  "One JSON object a line: each entry (kind fileWithoutLine, lineWithoutFile, notCatalogued or "
                  "unreadableFolder, "
                  "with folder and file), then the totals (kind totals)");
  check->add_option("folders", options->folders,
                    "Folders to check, each listed in the folders table or inside a listed one (default: all those of "
                    "the folders table)");
  check->callback([options, &exitStatus] { exitStatus = RunCheck(*options); });
}

}  // namespace tessarine
