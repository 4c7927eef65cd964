#include "gui/VerifyTab.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QTabBar>
#include <QTreeWidget>

#include <chrono>
#include <exception>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/SqlDialect.h"
#include "core/TableName.h"
#include "core/WindowTitle.h"
#include "gui/CrossThreadUserPort.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

void AddCheckedItem(QTreeWidget* list, const std::string& folder, const std::string& file) {
  // Added without a selection.
  auto* item = new QTreeWidgetItem({Text(folder), Text(file)});
  list->addTopLevelItem(item);
  item->setSelected(false);
}

}  // namespace

VerifyTab::VerifyTab(WindowContext& context, QWidget* parent) : VerifyFrame(parent), m_context(context) {}

VerifyTab::~VerifyTab() {
  if (!m_checkThread.joinable()) return;
  m_context.RequestCheckCancel();
  WaitForTheCheck();
  if (m_checkThread.joinable()) m_checkThread.join();
}

void VerifyTab::ConnectHandlers() {
  m_browser = std::make_unique<VerifyBrowser>(m_context.Port());
  connect(cmdVerifyQuery, &QPushButton::clicked, this, &VerifyTab::cmdVerifyQuery_Click);
  connect(cmdBegin, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::First); });
  connect(cmdPrevious, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Previous); });
  connect(cmdNext, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Next); });
  connect(cmdEnd, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Last); });
  connect(cmdCheck, &QPushButton::clicked, this, &VerifyTab::cmdCheck_Click);
  connect(cmdCancelCheck, &QPushButton::clicked, this, [this] { m_context.RequestCheckCancel(); });
  connect(cmdDeleteFiles, &QPushButton::clicked, this, &VerifyTab::cmdDeleteFiles_Click);
  connect(cmdScanFileFolders, &QPushButton::clicked, this, &VerifyTab::cmdScanFileFolders_Click);
  connect(cmdDeleteLines, &QPushButton::clicked, this, &VerifyTab::cmdDeleteLines_Click);
  // The buttons under the lists wait for a run that lists something.
  EnableFileButtons(false);
  cmdDeleteLines->setEnabled(false);
}

void VerifyTab::ShowImagesTable(const SqlDialect& dialect, const std::string& images) {
  // A name that is not a valid table name gets no query: running the box would send it as it stands.
  const std::optional<TableName> table = TableName::Of(images);
  txtVerifyQuery->setPlainText(table ? Text(dialect.FirstRowsQuery(*table)) : QString());
  FrameVerify[2]->setTitle(
      QStringLiteral("Check already scanned files and corresponding lines in images table '%1'").arg(Text(images)));
  lblVerifyQuery->setText(QStringLiteral("Query - get first 20 lines of images table '%1'").arg(Text(images)));
}

void VerifyTab::ClearResult() {
  lblVerifyResult->setText(QStringLiteral("Result"));
  txtVerifyResult->clear();
}

bool VerifyTab::CheckRunning() const { return !cmdCancelCheck->isHidden(); }

DisplayFields VerifyTab::DisplayMode() const {
  return optDisplayFields->checkedId() == 1 ? DisplayFields::All : DisplayFields::NonEmptyOnly;
}

void VerifyTab::ShowVerifyRow(const VerifyView& view) {
  // The browser ends each line with CR LF; the box breaks lines on LF.
  QString text = Text(view.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  txtVerifyResult->setPlainText(text);
  if (view.label) lblVerifyResult->setText(Text(*view.label));
}

void VerifyTab::cmdVerifyQuery_Click() {
  txtVerifyResult->clear();
  BusyPointer busy(m_context.Port());
  // Settings that could not be read name no data source: the status line says why.
  if (const auto& unreadable = m_context.CurrentSettings().readError) {
    m_context.Port().SetStatus(unreadable->what());
    return;
  }
  const Expected<VerifyView> view =
      m_browser->RunQuery(DataSourceOf(m_context.CurrentSettings(), m_context.FileDsnSelected()),
                          txtVerifyQuery->toPlainText().toStdString(), DisplayMode());
  if (view) ShowVerifyRow(*view);
}

void VerifyTab::MoveVerifyRow(VerifyMove move) {
  if (const std::optional<VerifyView> view = m_browser->Move(move, DisplayMode())) ShowVerifyRow(*view);
}

void VerifyTab::LockForCheck(bool running) {
  cmdCancelCheck->setVisible(running);
  cmdCheck->setVisible(!running);
  TabStripVerify->setEnabled(!running);
  if (running) {
    EnableFileButtons(false);
    cmdDeleteLines->setEnabled(false);
  }
  emit checkRunning(running);
}

void VerifyTab::cmdCheck_Click() {
  const std::vector<FolderEntry> folders = m_folderSource ? m_folderSource() : std::vector<FolderEntry>{};
  m_context.ClearCheckCancelRequest();
  m_context.PauseWatch();
  LockForCheck(true);
  for (QTreeWidget* list : lvCheckedFiles) list->clear();
  m_filesWithoutLines.clear();
  m_linesWithoutFiles.clear();

  // The check runs on a thread of its own; what it shows is carried to the window's thread.
  m_checkPort = std::make_unique<CrossThreadUserPort>(m_context.Port(), this);
  CheckHooks hooks;
  hooks.cancelRequested = [this] { return m_context.CheckCancelRequested(); };
  hooks.progress = [this, lastShown = std::chrono::steady_clock::time_point()](const std::string& line) mutable {
    // The file in progress, at most ten times a second; the check goes on once the window shows
    // it, so what is shown is never far behind.
    const auto now = std::chrono::steady_clock::now();
    if (!line.empty() && now - lastShown < std::chrono::milliseconds(100)) return;
    lastShown = now;
    QMetaObject::invokeMethod(this, [this, line] { txtCheckedFile->setText(Text(line)); },
                              Qt::BlockingQueuedConnection);
  };
  hooks.fileWithoutLine = [this](const CheckedFile& file) {
    QMetaObject::invokeMethod(this, [this, file] { AddCheckedItem(lvCheckedFiles[0], file.folder, file.file); },
                              Qt::QueuedConnection);
  };
  hooks.lineWithoutFile = [this](const CheckedLine& line) {
    QMetaObject::invokeMethod(this, [this, line] { AddCheckedItem(lvCheckedFiles[1], line.folder, line.file); },
                              Qt::QueuedConnection);
  };
  m_checkThread = std::thread([this, folders, hooks, settings = m_context.CurrentSettings(),
                               fileDsn = m_context.FileDsnSelected()] {
    auto result = std::make_shared<CheckResult>();
    try {
      *result = RunConsistencyCheck(m_context.Connection(), *m_checkPort, settings, fileDsn, folders, hooks);
    } catch (const std::exception& error) {
      // Nothing the workflow lets through may end the program; the window is unlocked all the same.
      m_context.Connection().CloseConnection();
      m_checkPort->ShowMessage(error.what(), MessageIcon::Critical, kWindowTitle, MessageButtons::Ok);
      result->status = Status(Error(ErrorKind::Database, error.what()));
    }
    QMetaObject::invokeMethod(this, [this, result] { CheckFinished(std::move(*result)); }, Qt::QueuedConnection);
  });
}

void VerifyTab::CheckFinished(CheckResult result) {
  if (m_checkThread.joinable()) m_checkThread.join();
  m_checkPort.reset();
  m_context.ResumeWatch();
  m_filesWithoutLines = std::move(result.filesWithoutLines);
  m_linesWithoutFiles = std::move(result.linesWithoutFiles);
  LockForCheck(false);
  if (result.status) {
    EnableFileButtons(!m_filesWithoutLines.empty());
    cmdDeleteLines->setEnabled(!m_linesWithoutFiles.empty());
  }
}

void VerifyTab::WaitForTheCheck() {
  // The check may be waiting for the window to show a line: the window's events go on.
  while (m_checkThread.joinable() && CheckRunning()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
}

void VerifyTab::cmdDeleteFiles_Click() {
  // The files removed are the listed entries' own bytes, never a path rebuilt from the shown text.
  const WatchPause pause(m_context);
  DeleteFilesWithoutLines(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(),
                          m_context.FileDsnSelected(), m_filesWithoutLines);
  // The list shows what is left: the files that did not move.
  lvCheckedFiles[0]->clear();
  for (const CheckedFile& file : m_filesWithoutLines) AddCheckedItem(lvCheckedFiles[0], file.folder, file.file);
  EnableFileButtons(!m_filesWithoutLines.empty());
}

void VerifyTab::EnableFileButtons(bool enabled) {
  cmdDeleteFiles->setEnabled(enabled);
  cmdScanFileFolders->setEnabled(enabled);
}

void VerifyTab::cmdScanFileFolders_Click() {
  std::vector<FolderKey> folders;
  for (const CheckedFile& file : m_filesWithoutLines) {
    const FolderKey folder = FolderKey::FromPath(file.folderBytes);
    if (std::ranges::find(folders, folder) == folders.end()) folders.push_back(folder);
  }
  emit scanRequested(folders);
}

void VerifyTab::cmdDeleteLines_Click() {
  const WatchPause pause(m_context);
  DeleteLinesWithoutFiles(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(),
                          m_context.FileDsnSelected(), m_linesWithoutFiles);
  if (m_linesWithoutFiles.empty()) lvCheckedFiles[1]->clear();
}

}  // namespace tessarine
