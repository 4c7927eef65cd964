#pragma once
// frmTessarinePro: the wizard window of six tabs. Handlers keep the control and event
// names of the window description; the work behind the buttons lives in the core.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "workflows/connection/CatalogueTables.h"
#include "workflows/folders/FolderEntry.h"
#include "workflows/verify/ConsistencyCheck.h"
#include "workflows/verify/VerifyBrowser.h"

class QCloseEvent;
class QDialog;
class QLabel;
class QPushButton;
class QTabBar;
class QTreeWidgetItem;

namespace tessarine {

class CatalogueConnection;
class ConnectionFrame;
class DatabaseFrame;
class MetadataFrame;
class ScanFrame;
class TablesFrame;
class UserPort;
class VerifyFrame;
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

  static constexpr int kTabCount = 6;

  // Shows a modal dialog; tests replace it to drive the dialog without blocking.
  using DialogRunner = std::function<void(QDialog&)>;
  // Opens a file or web address with the desktop's default application.
  using DocumentOpener = std::function<bool(const QString&)>;
  // Rebuilds the folder list from the folders table (start-up, tab 5, after table creation).
  using FolderListLoader = std::function<void()>;
  // The folder-browse dialog of "Add folder to scan": the chosen folder's path as bytes for the
  // disk, nothing when cancelled. Tests replace it.
  using FolderChooser = std::function<std::optional<std::string>()>;

  void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
  void SetDocumentOpener(DocumentOpener opener) { m_openDocument = std::move(opener); }
  void SetFolderListLoader(FolderListLoader loader) { m_folderListLoader = std::move(loader); }
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
  // The folder that holds Help/ and license-fi.txt; the executable's folder unless a test moves it.
  void SetProgramFolder(std::filesystem::path folder) { m_programFolder = std::move(folder); }

  UserPort& Port();
  WindowUserPort& WindowPort() { return *m_port; }
  Settings& CurrentSettings() { return m_settings; }
  const std::filesystem::path& SettingsFile() const { return m_settingsFile; }
  int CurrentTab() const { return m_currentTab; }
  bool StopRequested() const { return m_stopRequested; }
  void ClearStopRequest() { m_stopRequested = false; }
  bool CheckCancelRequested() const { return m_checkCancelRequested; }
  void ClearCheckCancelRequest() { m_checkCancelRequested = false; }

  // The one shared catalogue connection, created on first use.
  CatalogueConnection& Connection();
  // The DSN kind the connection tab shows now (the next connection uses it).
  bool FileDsnSelected() const;

  // The folder list reload of the start-up and of tab 5.
  void LoadFolderList();
  // The custom XMP summary in txtXMPCustomized, from the current definitions.
  void ShowCustomXmpSummary();
  // The entries of lvFolders, one per row in list order, with their ticks as shown.
  std::vector<FolderEntry> FolderEntries() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  void Form_Load();
  void ApplySettingsToControls();
  void ApplyThumbnailSettings();
  bool Form_QueryUnload();
  void Form_Unload();

  void TabStripMain_Click(int tab);
  void lblNextStep_Click(int index);

  void optDatabase_Click(int index);
  void chkOnlyIPTC_Click();
  void optXMPOverIPTC_Click(int index);
  void chkThumbnails_Click();
  void optThumbnails_Click(int index);
  void ApplyOnlyIptcRule(bool onlyIptc);
  void ApplyThumbnailRule(bool createThumbnails);
  void txtTableFolders_Change();
  void txtTableImages_Change();

  void cmdHelp_Click();
  void cmdAbout_Click();
  void OpenLinkFromToolTip(QWidget* link);
  void lblRunODBCAdministrator_Click();
  void cmdXMPCustomized_Click();

  void cmdTestingQuery_Click();
  void cmdCreateTableFolders_Click(int index);
  void cmdCreateTableImages_Click(int index);
  void RunTableAction(CatalogueTable table, int index);

  // Tab 5: the folder list and the scan.
  void ConnectScanHandlers();
  void ShowFolderEntries(const std::vector<FolderEntry>& entries);
  QTreeWidgetItem* AddFolderItem(const FolderEntry& entry);
  void cmdAddFolder_Click();
  void cmdRemoveFolder_Click();
  void lvFolders_ItemCheck();
  void ScanFolders();
  void LockForScan(bool locked);
  std::optional<std::string> ChooseFolderWithDialog();

  // Tab 6: the verify browser and the consistency check.
  void ConnectVerifyHandlers();
  DisplayFields DisplayMode() const;
  void ShowVerifyRow(const VerifyView& view);
  void cmdVerifyQuery_Click();
  void MoveVerifyRow(VerifyMove move);
  void cmdCheck_Click();
  void LockForCheck(bool running);
  void cmdDeleteFiles_Click();
  void cmdDeleteLines_Click();

  void cmdOK_Click();
  void RunDialog(QDialog& dialog);

  std::filesystem::path m_settingsFile;
  std::filesystem::path m_programFolder;
  Settings m_settings;
  int m_currentTab = 0;
  bool m_stopRequested = false;
  bool m_checkCancelRequested = false;

  QTabBar* m_tabStrip = nullptr;
  QWidget* m_frames[kTabCount + 1] = {};  // FrameMain_1..6
  DatabaseFrame* m_database = nullptr;
  ConnectionFrame* m_connection = nullptr;
  TablesFrame* m_tables = nullptr;
  MetadataFrame* m_metadata = nullptr;
  ScanFrame* m_scan = nullptr;
  VerifyFrame* m_verify = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_exit = nullptr;

  std::unique_ptr<WindowUserPort> m_port;
  std::unique_ptr<CatalogueConnection> m_catalogue;
  // The browser keeps its rows on a connection of its own; the check's lists keep the bytes of
  // each listed file.
  std::unique_ptr<VerifyBrowser> m_browser;
  std::vector<CheckedFile> m_filesWithoutLines;
  std::vector<CheckedLine> m_linesWithoutFiles;
  DialogRunner m_runDialog;
  DocumentOpener m_openDocument;
  FolderListLoader m_folderListLoader;
  FolderChooser m_chooseFolder;
  // The folder entries behind the rows of lvFolders (texts kept as bytes, ticks kept by the rows).
  std::vector<FolderEntry> m_folderEntries;
};

}  // namespace tessarine
