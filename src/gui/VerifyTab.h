#pragma once
// Tab "Verify / Check": the row browser on a connection of its own, and the check of the images
// table against the disk with its two lists and their deletes. The window locks its tab strip
// while the check runs.

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "gui/VerifyFrame.h"
#include "workflows/folders/FolderEntry.h"
#include "workflows/verify/ConsistencyCheck.h"
#include "workflows/verify/VerifyBrowser.h"

namespace tessarine {

class CrossThreadUserPort;
struct SqlDialect;
class WindowContext;

class VerifyTab : public VerifyFrame {
  Q_OBJECT
 public:
  // The folder list, reloaded: the folders the check walks.
  using FolderSource = std::function<std::vector<FolderEntry>()>;

  explicit VerifyTab(WindowContext& context, QWidget* parent = nullptr);
  ~VerifyTab() override;

  void ConnectHandlers();
  void SetFolderSource(FolderSource source) { m_folderSource = std::move(source); }

  // The browser's query and the captions for the images table of the chosen kind (a tab switch).
  void ShowImagesTable(const SqlDialect& dialect, const std::string& images);
  // Empties the browser's result (a scan changes the rows).
  void ClearResult();
  // The catalogue view of the third sub-tab (there once the handlers are connected).
  // A check runs while its "Cancel" button is shown.
  bool CheckRunning() const;
  // Runs the window's events until the running check has ended (at once when none runs).
  void WaitForTheCheck();

 signals:
  // The check starts (true) or has ended (false).
  void checkRunning(bool running);
  // "Scan their folders": the folders that hold the files without rows, to be scanned.
  void scanRequested(const std::vector<FolderKey>& folders);

 private:
  DisplayFields DisplayMode() const;
  void ShowVerifyRow(const VerifyView& view);
  void cmdVerifyQuery_Click();
  void MoveVerifyRow(VerifyMove move);
  void cmdCheck_Click();
  void CheckFinished(CheckResult result);
  void LockForCheck(bool running);
  void cmdDeleteFiles_Click();
  void cmdScanFileFolders_Click();
  // The buttons of the files without rows, enabled while the list holds some.
  void EnableFileButtons(bool enabled);
  void cmdDeleteLines_Click();

  WindowContext& m_context;
  FolderSource m_folderSource;
  // The browser keeps its rows on a connection of its own; the check's lists keep the bytes of
  // each listed file.
  std::unique_ptr<VerifyBrowser> m_browser;
  std::vector<CheckedFile> m_filesWithoutLines;
  std::vector<CheckedLine> m_linesWithoutFiles;
  // The check's thread and the port it shows things through, while a check runs.
  std::thread m_checkThread;
  std::unique_ptr<CrossThreadUserPort> m_checkPort;
};

}  // namespace tessarine
