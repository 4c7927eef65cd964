// tessarine watch: keeps the catalogue current while it runs. Every listed tree is first rescanned
// with the rule of --changed (what changed while nobody watched); then the folders the system says
// changed are rescanned the same way, a batch at a time: a burst of copies is gathered until it
// has been quiet for a moment, and each batch takes the folders' lock as a scan does, so a scan or
// check elsewhere waits its turn (and the watch waits for theirs). Trees no watch can follow
// (network file systems, the system's limit of watches) are rescanned every WatchPollSeconds, as
// is every tree with --poll. Ctrl-C or SIGTERM ends it, after the batch in progress.

#include <CLI/CLI.hpp>

#include <chrono>
#include <iostream>
#include <set>
#include <thread>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/StopSignals.h"
#include "core/TextDecoding.h"
#include "workflows/folders/FolderWatcher.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine {
namespace {

using Clock = std::chrono::steady_clock;

// A batch is gathered until the folders have been quiet this long, or this long at most.
constexpr std::chrono::milliseconds kQuiet{400};
constexpr std::chrono::milliseconds kLongestBatch{5000};
// How long a wait for events lasts before a stop is looked for again.
constexpr std::chrono::milliseconds kWake{1000};
// A batch refused because another scan or check holds its folders is tried again after this; one
// that failed (the database gone, say) after the longer pause, its folders still to do.
constexpr std::chrono::seconds kBusyPause{5};
constexpr std::chrono::seconds kFailedPause{60};

enum class BatchEnd { Done, Busy, Failed };

struct WatchOptions {
  std::string settingsFile;
  bool verbose = false;
  bool poll = false;
};

class Watch {
 public:
  Watch(const WatchOptions& options, CommandContext& context)
      : m_options(options), m_context(context), m_settings(context.CurrentSettings()) {
    m_settings.onlyChangedFiles = true;
  }

  int Run() {
    if (!LoadList()) return kFailedStatus;
    std::cerr << "Watching " << m_listed.size() << " folders of table '" << m_settings.folders << "'"
              << (m_polled.empty() ? "" : ", " + std::to_string(m_polled.size()) + " of them polled every " +
                                              std::to_string(m_settings.watchPollSeconds) + " s")
              << '\n';
    // What changed while nobody watched.
    for (const FolderEntry& entry : m_listed) m_dirty.insert(entry.folder.Bytes());
    Clock::time_point nextPoll = Clock::now() + std::chrono::seconds(m_settings.watchPollSeconds);
    while (!StopOnSignals::Requested()) {
      if (const BatchEnd end = m_dirty.empty() ? BatchEnd::Done : ScanDirty(); end != BatchEnd::Done) {
        const auto until = Clock::now() + (end == BatchEnd::Busy ? kBusyPause : kFailedPause);
        while (Clock::now() < until && !StopOnSignals::Requested()) std::this_thread::sleep_for(kWake / 4);
        continue;
      }
      for (const std::string& folder : m_watcher.WaitForChanges(kWake, kQuiet, kLongestBatch)) m_dirty.insert(folder);
      if (Clock::now() >= nextPoll) {
        nextPoll = Clock::now() + std::chrono::seconds(m_settings.watchPollSeconds);
        if (m_watcher.LimitReached()) m_polled = TopsOf(m_listed);
        // The list may have changed meanwhile: new folders are watched (or polled) from now on.
        if (!LoadList()) return kFailedStatus;
        for (const FolderKey& folder : m_polled) m_dirty.insert(folder.Bytes());
      }
    }
    std::cerr << "Stopped watching.\n";
    return 0;
  }

 private:
  static std::vector<FolderKey> TopsOf(const std::vector<FolderEntry>& entries) {
    std::vector<FolderKey> tops;
    for (const FolderEntry& entry : entries) tops.push_back(entry.folder);
    return tops;
  }

  // Reads the folder list; trees not yet seen are watched, or polled when they cannot be.
  bool LoadList() {
    const auto listed = m_context.LoadFolders();
    if (!listed) return false;
    m_listed = *listed;
    for (const FolderEntry& entry : m_listed) {
      if (!m_seen.insert(entry.folder.Text()).second) continue;
      if (m_options.poll) {
        m_polled.push_back(entry.folder);
      } else if (!m_watcher.WatchTree(entry.folder)) {
        m_polled.push_back(entry.folder);
        std::cerr << PrintableText(entry.folder.Text()) << ": polled every " << m_settings.watchPollSeconds
                  << " s: " << m_watcher.PollReason() << '\n';
      }
    }
    return true;
  }

  // Rescans the changed folders; they stay to do when another scan or check held them or the
  // rescan failed.
  BatchEnd ScanDirty() {
    std::vector<FolderKey> folders;
    for (const std::string& bytes : m_dirty) folders.push_back(FolderKey::FromPath(bytes));
    // A folder no longer in the list (removed meanwhile) is left alone.
    const FoldersToScan chosen = EntriesToScan(m_listed, folders);
    if (chosen.entries.empty()) {
      m_dirty.clear();
      return BatchEnd::Done;
    }
    ScanHooks hooks;
    hooks.stopRequested = [] { return StopOnSignals::Requested(); };
    hooks.problem = [this](const std::string& text) {
      if (!m_options.verbose) std::cerr << PrintableText(text) << '\n';
    };
    const ScanResult result = ScanFolders(m_context.Connection(), m_context.Port(), m_settings, m_settings.fileDsn,
                                          m_context.SettingsFile(), chosen.entries, hooks);
    if (result.status.Is(ErrorKind::Busy)) return BatchEnd::Busy;
    if (!result.status) {
      m_context.ExplainFailure(result.status);
      std::cerr << "Tried again in " << kFailedPause.count() << " s.\n";
      return BatchEnd::Failed;
    }
    std::string names;
    for (const FolderEntry& entry : chosen.entries) {
      if (entry.checked) names += (names.empty() ? "" : ", ") + entry.folder.Text();
    }
    const std::string problems = ScanProblemsText(result);
    std::cerr << result.files << " files catalogued in " << PrintableText(names)
              << (problems.empty() ? "" : " (" + problems + ")") << '\n';
    m_dirty.clear();
    return BatchEnd::Done;
  }

  const WatchOptions& m_options;
  CommandContext& m_context;
  Settings m_settings;
  FolderWatcher m_watcher;
  std::vector<FolderEntry> m_listed;
  std::set<std::string> m_seen;      // listed folders already watched or polled
  std::vector<FolderKey> m_polled;   // trees rescanned at each poll
  std::set<std::string> m_dirty;     // folders (bytes) to rescan
};

int RunWatch(const WatchOptions& options) {
  StopOnSignals stop;
  CommandContext context(options.settingsFile, ConsoleOptions{.verbose = options.verbose});
  Watch watch(options, context);
  return watch.Run();
}

}  // namespace

void RegisterWatchCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<WatchOptions>();
  CLI::App* watch = app.add_subcommand(
      "watch", "Keep the catalogue current: rescan the folders of the folders table as files change in them");
  watch->add_option("--settings", options->settingsFile, "Settings file (default: the program's own)");
  watch->add_flag("-v,--verbose", options->verbose, "Print every file and every status as each rescan goes");
  watch->add_flag("--poll", options->poll,
                  "Rescan every folder each [Configuration] WatchPollSeconds (default 300) instead of watching them");
  watch->callback([options, &exitStatus] { exitStatus = RunWatch(*options); });
}

}  // namespace tessarine
