#pragma once
// Tab "5 - Scan folders": the folder list from the folders table, adding and removing folders,
// the thumbnail options, and the scan with its lock. The window locks what lies outside the tab.

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "gui/ScanFrame.h"
#include "workflows/folders/FolderEntry.h"
#include "workflows/scan/ScanDriver.h"

class QTimer;
class QTreeWidgetItem;

class QMimeData;

namespace tessarine {

class BackgroundWatch;
class CrossThreadUserPort;
class WindowContext;

class ScanTab : public ScanFrame {
  Q_OBJECT
 public:
  // Rebuilds the folder list in place of the folders table; tests replace the load with it.
  using FolderListLoader = std::function<void()>;

  explicit ScanTab(WindowContext& context, QWidget* parent = nullptr);
  // A scan still running is stopped after its file in progress, and waited for.
  ~ScanTab() override;

  // The list header and the thumbnail options from the settings, nothing stored.
  void ShowSettings();
  void ConnectHandlers();

  void SetFolderListLoader(FolderListLoader loader) { m_folderListLoader = std::move(loader); }
  // The folder list reload of the start-up, tab 5, the check and table creation.
  void LoadFolderList();
  // The entries of lvFolders, one per row in list order, with their ticks as shown.
  std::vector<FolderEntry> FolderEntries() const;
  // The folders table exists now: add and remove may be used.
  void EnableFolderButtons();
  // Ticks the listed folders that hold any of these folders and scans them.
  void ScanFoldersHolding(const std::vector<FolderKey>& folders);
  // A scan runs while its "Stop" button is shown.
  bool ScanRunning() const;
  // Runs the window's events until the running scan has ended (at once when none runs).
  void WaitForTheScan();

 signals:
  // The scan starts (true) or has ended (false); the window locks the rest of itself meanwhile.
  void scanRunning(bool running);
  // The scan has ended and the list shows its outcome.
  void scanFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Starts or stops the live watch as its box says, once the folder list could be read and while
  // the window leaves the catalogue to it.
  void KeepCurrent();
  void ShowFolderEntries(const std::vector<FolderEntry>& entries);
  void ShowUnfinishedEntries(const std::vector<FolderEntry>& scanned, const std::vector<EntryOutcome>& outcomes);
  QTreeWidgetItem* AddFolderItem(const FolderEntry& entry);
  void cmdAddFolder_Click();
  // Adds a folder chosen in the picker or dropped onto the list.
  void AddFolder(const std::string& chosen);
  // The local folders a drag carries; none while the list cannot take folders.
  std::vector<std::string> DroppedFolders(const QMimeData* mime) const;
  void cmdRemoveFolder_Click();
  void lvFolders_ItemCheck();
  void ScanFolders();
  void ShowLatestProgress();
  void ShowProgress(const ScanProgress& progress, std::chrono::duration<double> elapsed);
  void ScanFinished(const ScanResult& result, const std::vector<FolderEntry>& entries);
  void LockForScan(bool locked);
  void chkThumbnails_Click();
  void optThumbnails_Click(int index);
  void ApplyThumbnailRule(bool createThumbnails);

  WindowContext& m_context;
  FolderListLoader m_folderListLoader;
  // The folder entries behind the rows of lvFolders (texts kept as bytes, ticks kept by the rows).
  std::vector<FolderEntry> m_folderEntries;
  // The scan's thread and the port it shows things through, while a scan runs.
  std::thread m_scanThread;
  std::unique_ptr<CrossThreadUserPort> m_scanPort;
  std::unique_ptr<BackgroundWatch> m_watch;
  // The progress the scan's thread last gave, shown by the timer.
  QTimer* m_progressTimer;
  std::mutex m_progressMutex;
  std::optional<ScanProgress> m_latestProgress;
  std::chrono::steady_clock::time_point m_scanStart;
  bool m_listReadable = false;
};

}  // namespace tessarine
