#pragma once
// frmTessarinePro: the wizard window of six tabs. It composes the tabs, each of which owns its
// page and the handlers of its controls, and keeps what lies between them: the tab strip, the
// status line, Exit, the start-up and the closing. Handlers keep the control and event names of
// the window description; the work behind the buttons lives in the workflows.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "gui/WindowContext.h"
#include "workflows/folders/FolderEntry.h"

class QCloseEvent;
class QLabel;
class QPushButton;
class QTabBar;

namespace tessarine {

class CatalogueBrowser;
class CatalogueConnection;
class ConnectionTab;
class DatabaseTab;
class MetadataTab;
class ScanTab;
class StatusLine;
class TablesTab;
class UserPort;
class VerifyTab;
class WindowUserPort;

class TessarineProWindow : public QWidget {
  Q_OBJECT
 public:
  // Runs before the start-up, once the controls exist: tests install their hooks here, so the
  // first folder-list load already answers through them.
  using Preparation = std::function<void(TessarineProWindow&)>;

  // Runs the start-up (Form_Load) with the given settings file.
  explicit TessarineProWindow(std::filesystem::path settingsFile, const Preparation& prepare = {},
                              QWidget* parent = nullptr);
  ~TessarineProWindow() override;

  // The six set-up tabs, then the catalogue view.
  static constexpr int kTabCount = 7;
  static constexpr int kCatalogueTab = 7;

  using DialogRunner = WindowContext::DialogRunner;
  using DocumentOpener = WindowContext::DocumentOpener;
  using FolderChooser = WindowContext::FolderChooser;
  using FolderListLoader = std::function<void()>;

  // The hooks tests replace, kept by the context and the scan tab.
  void SetDialogRunner(DialogRunner runner) { m_context.SetDialogRunner(std::move(runner)); }
  void SetDocumentOpener(DocumentOpener opener) { m_context.SetDocumentOpener(std::move(opener)); }
  void SetFolderListLoader(FolderListLoader loader);
  void SetFolderChooser(FolderChooser chooser) { m_context.SetFolderChooser(std::move(chooser)); }
  // The folder that holds Help/ and license-fi.txt; the executable's folder unless a test moves it.
  void SetProgramFolder(std::filesystem::path folder) { m_context.SetProgramFolder(std::move(folder)); }

  UserPort& Port();
  WindowUserPort& WindowPort() { return m_context.Port(); }
  Settings& CurrentSettings() { return m_context.CurrentSettings(); }
  const std::filesystem::path& SettingsFile() const { return m_context.SettingsFile(); }
  int CurrentTab() const { return m_currentTab; }
  bool StopRequested() const { return m_context.StopRequested(); }
  void ClearStopRequest() { m_context.ClearStopRequest(); }
  bool CheckCancelRequested() const { return m_context.CheckCancelRequested(); }
  void ClearCheckCancelRequest() { m_context.ClearCheckCancelRequest(); }
  CatalogueConnection& Connection() { return m_context.Connection(); }
  bool FileDsnSelected() const { return m_context.FileDsnSelected(); }

  // Gives the window the place it had when it last closed (or a default size, centred), kept
  // within the available area of its screen. True when it closed maximized.
  bool PlaceOnScreen(const QRect& available);

  // The folder list reload of the start-up and of tab 5.
  void LoadFolderList();
  // The entries of lvFolders, one per row in list order, with their ticks as shown.
  std::vector<FolderEntry> FolderEntries() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  void Form_Load();
  bool Form_QueryUnload();
  void Form_Unload();

  // Ctrl+Tab, Ctrl+PageDown and their reverses step through the tabs; Escape stops a scan or check.
  void ConnectKeys();
  void StepTab(int step);
  void StopWhatRuns();

  void TabStripMain_Click(int tab);
  void lblNextStep_Click(int index);
  // While the scan runs, the tab strip and Exit are locked.
  void LockForScan(bool running);
  void cmdOK_Click();

  WindowContext m_context;
  int m_currentTab = 0;

  QTabBar* m_tabStrip = nullptr;
  QWidget* m_frames[kTabCount + 1] = {};  // FrameMain_1..7, the tabs in strip order
  DatabaseTab* m_database = nullptr;
  ConnectionTab* m_connection = nullptr;
  TablesTab* m_tables = nullptr;
  MetadataTab* m_metadata = nullptr;
  ScanTab* m_scan = nullptr;
  VerifyTab* m_verify = nullptr;
  CatalogueBrowser* m_catalogue = nullptr;
  StatusLine* m_status = nullptr;
  QPushButton* m_exit = nullptr;
};

}  // namespace tessarine
