#include "workflows/scan/CatalogueWatch.h"

#include <chrono>
#include <thread>

#include "workflows/folders/FolderList.h"
#include "workflows/folders/FoldersToScan.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine {
namespace {

using Clock = std::chrono::steady_clock;

// A batch is gathered until the folders have been quiet this long, or this long at most.
constexpr std::chrono::milliseconds kQuiet{400};
constexpr std::chrono::milliseconds kLongestBatch{5000};
// How long a wait for events lasts before a stop is looked for again.
constexpr std::chrono::milliseconds kWake{250};
// A batch refused because another scan or check holds its folders is tried again after this; one
// that failed (the database gone, say) after the longer pause, its folders still to do.
constexpr std::chrono::seconds kBusyPause{5};
constexpr std::chrono::seconds kFailedPause{60};

}  // namespace

CatalogueWatch::CatalogueWatch(CatalogueConnection& connection, UserPort& port, Settings settings,
                               bool fileDsnSelected, std::filesystem::path settingsFile, bool pollOnly,
                               WatchHooks hooks)
    : m_connection(connection),
      m_port(port),
      m_settings(std::move(settings)),
      m_fileDsnSelected(fileDsnSelected),
      m_settingsFile(std::move(settingsFile)),
      m_pollOnly(pollOnly),
      m_hooks(std::move(hooks)) {
  m_settings.onlyChangedFiles = true;
}

Status CatalogueWatch::Run() {
  if (Status loaded = LoadList(); !loaded) return loaded;
  Say("Watching " + std::to_string(m_listed.size()) + " folders of table '" + m_settings.folders + "'" +
      (m_polled.empty() ? "" : ", " + std::to_string(m_polled.size()) + " of them polled every " +
                                   std::to_string(m_settings.watchPollSeconds) + " s"));
  // What changed while nobody watched.
  for (const FolderEntry& entry : m_listed) m_dirty.insert(entry.folder.Bytes());
  const std::chrono::seconds pollEvery(m_settings.watchPollSeconds);
  Clock::time_point nextPoll = Clock::now() + pollEvery;
  while (!StopRequested()) {
    if (const BatchEnd end = m_dirty.empty() ? BatchEnd::Done : ScanDirty(); end != BatchEnd::Done) {
      Pause(end == BatchEnd::Busy ? kBusyPause : kFailedPause);
      continue;
    }
    for (const std::string& folder :
         m_watcher.WaitForChanges(kWake, kQuiet, kLongestBatch, [this] { return StopRequested(); })) {
      m_dirty.insert(folder);
    }
    if (Clock::now() < nextPoll) continue;
    nextPoll = Clock::now() + pollEvery;
    if (m_watcher.LimitReached()) {
      m_polled.clear();
      for (const FolderEntry& entry : m_listed) m_polled.push_back(entry.folder);
    }
    // The list may have changed meanwhile: new folders are watched (or polled) from now on. When
    // it cannot be read, the last one read goes on being watched.
    if (Status loaded = LoadList(); !loaded && m_hooks.failed) m_hooks.failed(loaded);
    for (const FolderKey& folder : m_polled) m_dirty.insert(folder.Bytes());
  }
  Say("Stopped watching.");
  return {};
}

Status CatalogueWatch::LoadList() {
  FolderListLoad load = LoadFolderEntries(m_connection, m_port, m_settings, m_fileDsnSelected);
  if (!load.status) return load.status;
  m_listed = std::move(load.entries);
  for (const FolderEntry& entry : m_listed) {
    if (!m_seen.insert(entry.folder.Text()).second) continue;
    if (m_pollOnly) {
      m_polled.push_back(entry.folder);
    } else if (!m_watcher.WatchTree(entry.folder)) {
      m_polled.push_back(entry.folder);
      Say(entry.folder.Text() + ": polled every " + std::to_string(m_settings.watchPollSeconds) +
          " s: " + m_watcher.PollReason());
    }
  }
  return {};
}

CatalogueWatch::BatchEnd CatalogueWatch::ScanDirty() {
  std::vector<FolderKey> folders;
  for (const std::string& bytes : m_dirty) folders.push_back(FolderKey::FromPath(bytes));
  // A folder no longer in the list (removed meanwhile) is left alone.
  const FoldersToScan chosen = EntriesToScan(m_listed, folders);
  if (chosen.entries.empty()) {
    m_dirty.clear();
    return BatchEnd::Done;
  }
  ScanHooks hooks;
  hooks.stopRequested = [this] { return StopRequested(); };
  hooks.problem = m_hooks.problem;
  const ScanResult result =
      ScanFolders(m_connection, m_port, m_settings, m_fileDsnSelected, m_settingsFile, chosen.entries, hooks);
  if (result.status.Is(ErrorKind::Busy)) return BatchEnd::Busy;
  if (!result.status) {
    if (m_hooks.failed) m_hooks.failed(result.status);
    Say("Tried again in " + std::to_string(kFailedPause.count()) + " s.");
    return BatchEnd::Failed;
  }
  // A batch cut short by a stop is not reported: the next watch catches up with its folders.
  if (result.stopped) return BatchEnd::Done;
  std::string names;
  for (const FolderEntry& entry : chosen.entries) {
    if (entry.checked) names += (names.empty() ? "" : ", ") + entry.folder.Text();
  }
  const std::string problems = ScanProblemsText(result);
  Say(std::to_string(result.files) + " files catalogued in " + names +
      (problems.empty() ? "" : " (" + problems + ")"));
  m_dirty.clear();
  return BatchEnd::Done;
}

void CatalogueWatch::Pause(std::chrono::seconds length) const {
  const auto until = Clock::now() + length;
  while (Clock::now() < until && !StopRequested()) std::this_thread::sleep_for(kWake);
}

void CatalogueWatch::Say(const std::string& line) const {
  if (m_hooks.say) m_hooks.say(line);
}

}  // namespace tessarine
