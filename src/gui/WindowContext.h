#pragma once
// What the tabs of the main window share: the settings and their file, the user port, the one
// catalogue connection, the DSN kind the connection tab shows, the dialog runner, document opener
// and folder chooser that tests replace, and the Stop and Cancel requests of the scan and the check.

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Settings.h"

class QDialog;
class QString;
class QWidget;

namespace tessarine {

class CatalogueConnection;
class WindowUserPort;

// Where the folder picker opens: the folder last added when it still exists, else the user's
// pictures folder, else the home folder.
QString FolderPickerStart(const std::string& lastFolder);

class WindowContext {
 public:
  // Shows a modal dialog; tests replace it to drive the dialog without blocking.
  using DialogRunner = std::function<void(QDialog&)>;
  // Opens a file or web address with the desktop's default application.
  using DocumentOpener = std::function<bool(const QString&)>;
  // The folder-browse dialog of "Add folder to scan": the chosen folder's path as bytes for the
  // disk, nothing when cancelled.
  using FolderChooser = std::function<std::optional<std::string>()>;

  WindowContext(std::filesystem::path settingsFile, std::filesystem::path programFolder);
  ~WindowContext();
  WindowContext(const WindowContext&) = delete;
  WindowContext& operator=(const WindowContext&) = delete;

  Settings& CurrentSettings() { return m_settings; }
  const std::filesystem::path& SettingsFile() const { return m_settingsFile; }
  // The folder that holds Help/ and license-fi.txt, or bin/ when they are under share/ (see ProgramDataFile).
  const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
  void SetProgramFolder(std::filesystem::path folder) { m_programFolder = std::move(folder); }

  // The port exists once the window has its status line and the scan tab its log.
  WindowUserPort& Port() { return *m_port; }
  void SetPort(std::unique_ptr<WindowUserPort> port);

  // The one shared catalogue connection, created on first use.
  CatalogueConnection& Connection();

  // The DSN kind the connection tab shows now (the next connection uses it).
  bool FileDsnSelected() const { return m_fileDsnSelected && m_fileDsnSelected(); }
  void SetFileDsnSelected(std::function<bool()> selected) { m_fileDsnSelected = std::move(selected); }

  void RunDialog(QDialog& dialog) const;
  void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
  // Opens the target; when nothing could open it (no desktop opener installed, none for its
  // kind), says so in a message that gives the path or address to open by hand. A blank target
  // opens nothing and says nothing.
  bool OpenDocument(const QString& target) const;
  void SetDocumentOpener(DocumentOpener opener) { m_openDocument = std::move(opener); }
  // The chooser a test installed, else the folder dialog over `parent` with the given caption.
  std::optional<std::string> ChooseFolder(QWidget* parent, const QString& caption) const;
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

  // Read by the scan's thread while the window sets it.
  bool StopRequested() const { return m_stopRequested; }
  void RequestStop() { m_stopRequested = true; }
  void ClearStopRequest() { m_stopRequested = false; }
  // The live watch of the scan tab is stopped while the window changes the catalogue itself (it
  // would hold the lock of the folders the window needs), and started again after, with the
  // settings then. Pauses nest; `stop` and `start` are the scan tab's.
  void SetWatchControl(std::function<void()> stop, std::function<void()> start);
  void PauseWatch();
  void ResumeWatch();
  bool WatchPaused() const { return m_watchPauses > 0; }

  bool CheckCancelRequested() const { return m_checkCancelRequested; }
  void RequestCheckCancel() { m_checkCancelRequested = true; }
  void ClearCheckCancelRequest() { m_checkCancelRequested = false; }

 private:
  std::filesystem::path m_settingsFile;
  std::filesystem::path m_programFolder;
  Settings m_settings;
  std::unique_ptr<WindowUserPort> m_port;
  std::unique_ptr<CatalogueConnection> m_catalogue;
  std::function<bool()> m_fileDsnSelected;
  DialogRunner m_runDialog;
  DocumentOpener m_openDocument;
  FolderChooser m_chooseFolder;
  std::function<void()> m_stopWatch;
  std::function<void()> m_startWatch;
  int m_watchPauses = 0;
  std::atomic<bool> m_stopRequested{false};
  std::atomic<bool> m_checkCancelRequested{false};
};

// Pauses the live watch for the guard's lifetime.
class WatchPause {
 public:
  explicit WatchPause(WindowContext& context) : m_context(context) { m_context.PauseWatch(); }
  ~WatchPause() { m_context.ResumeWatch(); }
  WatchPause(const WatchPause&) = delete;
  WatchPause& operator=(const WatchPause&) = delete;

 private:
  WindowContext& m_context;
};

}  // namespace tessarine
