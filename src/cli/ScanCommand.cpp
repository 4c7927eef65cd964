// tessarine scan: "Scan checked folders" without a window, for servers and scheduled runs.
// Ctrl-C (or SIGTERM) acts as "Stop": the file in progress is finished, the folder's transaction
// ended, the folder's count and scan time recorded, and the tool exits; a second one ends it at
// once (see StopOnSignals).

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/StopSignals.h"
#include "core/TextDecoding.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ProgressText.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine {
namespace {

// Progress on stderr, at most four times a second: one line rewritten in place on a terminal,
// a line per update otherwise (a log file of a scheduled run).
class ProgressLine {
 public:
  ProgressLine() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

  void Show(const ScanProgress& progress) {
    const auto now = Clock::now();
    if (now - m_lastShown < std::chrono::milliseconds(250)) return;
    m_lastShown = now;
    const std::string line = ProgressText(progress, now - m_start) + ", " + progress.folder;
    if (m_terminal) {
      std::cerr << '\r' << line << "\033[K" << std::flush;
      m_open = true;
    } else {
      std::cerr << line << '\n';
    }
  }

  // Ends a line left open on the terminal, before anything else is printed.
  void End() {
    if (!m_open) return;
    std::cerr << '\n';
    m_open = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool m_terminal;
  bool m_open = false;
  Clock::time_point m_start = Clock::now();
  Clock::time_point m_lastShown{};
};

struct ScanOptions {
  std::string settingsFile;
  std::vector<std::string> folders;
  bool verbose = false;
  bool changed = false;
  bool add = false;
};

int RunScan(const ScanOptions& options) {
  const std::optional<std::vector<FolderKey>> named = FolderArguments(options.folders);
  if (!named) return kUsageStatus;
  const std::vector<FolderKey>& folders = *named;

  // From here a stop is clean: one asked for while the folder list loads ends the tool before
  // the scan starts.
  StopOnSignals stop;
  ProgressLine progress;
  // The progress line is closed before any message or log line.
  CommandContext context(options.settingsFile,
                         ConsoleOptions{.verbose = options.verbose, .beforeOutput = [&progress] { progress.End(); }});
  Settings settings = context.CurrentSettings();
  if (options.changed) settings.onlyChangedFiles = true;

  const auto listed = context.LoadFolders();
  if (!listed) return kFailedStatus;
  if (StopOnSignals::Requested()) {
    std::cerr << "Stopped before the scan began.\n";
    return StopOnSignals::StoppedStatus();
  }
  FoldersToScan chosen = EntriesToScan(*listed, folders);
  if (!chosen.unlisted.empty() && options.add) {
    for (const FolderKey& folder : chosen.unlisted) {
      const AddFolderResult added = AddFolderToScan(context.Connection(), context.Port(), settings, settings.fileDsn,
                                                    folder.Bytes(), *listed);
      if (!added.status) return context.ExplainFailure(added.status);
      if (added.outcome != AddFolderOutcome::Inserted) return kFailedStatus;
      std::cerr << "Added " << folder.Text() << '\n';
    }
    const auto relisted = context.LoadFolders();
    if (!relisted) return kFailedStatus;
    chosen = EntriesToScan(*relisted, folders);
  }
  if (!chosen.unlisted.empty()) {
    for (const FolderKey& folder : chosen.unlisted) std::cerr << UnlistedFolderText(folder, FolderUse::Scan) << '\n';
    return kUsageStatus;
  }
  const std::vector<FolderEntry>& entries = chosen.entries;
  if (entries.empty()) {
    std::cerr << "No folders to scan: table '" << settings.folders << "' is empty and no folder was named\n";
    return 0;
  }

  ScanHooks hooks;
  hooks.stopRequested = [] { return StopOnSignals::Requested(); };
  hooks.markEntry = [&](std::size_t index, bool working) {
    if (!working || index >= entries.size()) return;
    progress.End();
    std::cerr << "Scanning " << entries[index].folder.Text() << '\n';
  };
  hooks.progress = [&](const ScanProgress& done) { progress.Show(done); };
  // Problems are always told (with --verbose they come with the log).
  hooks.problem = [&](const std::string& text) {
    if (options.verbose) return;
    progress.End();
    std::cerr << PrintableText(text) << '\n';
  };

  const ScanResult result = ScanFolders(context.Connection(), context.Port(), settings, settings.fileDsn,
                                        context.SettingsFile(), entries, hooks);
  progress.End();
  context.ExplainFailure(result.status);
  const std::string problems = ScanProblemsText(result);
  std::cerr << result.files << " files catalogued" << (result.stopped ? ", stopped" : "")
            << (problems.empty() ? "" : ", " + problems) << "." << ElapsedTimeText(result.elapsed) << '\n';
  if (!result.status) return result.status.Is(ErrorKind::Busy) ? kBusyStatus : kFailedStatus;
  if (result.stopped) return StopOnSignals::StoppedStatus();
  return result.Incomplete() ? kFailedStatus : 0;
}

}  // namespace

void RegisterScanCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ScanOptions>();
  CLI::App* scan = app.add_subcommand(
      "scan", "Catalogue folders into the images table: the named ones, or every folder of the folders table");
  scan->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  scan->add_flag("-v,--verbose", options->verbose, "Print every file and every status as the scan goes");
  scan->add_flag("--changed", options->changed,
                 "Read only new files and files whose size or last write differ from their row; the others keep "
                 "their rows (as [Configuration] OnlyChangedFiles=1 does)");
  scan->add_flag("--add", options->add, "Add the named folders the folders table lacks to it first");
  scan->add_option("folders", options->folders,
                   "Folders to scan, each listed in the folders table or inside a listed one (default: all those of "
                   "the folders table)");
  scan->callback([options, &exitStatus] { exitStatus = RunScan(*options); });
}

}  // namespace tessarine
