// Tab "Verify / Check": the row browser on its own connection and the consistency check with its
// two lists. The work itself is the core's (VerifyBrowser, RunConsistencyCheck, the deletes);
// here the controls follow it.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include "catalogue/CatalogueConnection.h"
#include "gui/TessarineProWindow.h"
#include "gui/VerifyFrame.h"
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

void TessarineProWindow::ConnectVerifyHandlers() {
  m_browser = std::make_unique<VerifyBrowser>(*m_port);
  connect(m_verify->cmdVerifyQuery, &QPushButton::clicked, this, &TessarineProWindow::cmdVerifyQuery_Click);
  connect(m_verify->cmdBegin, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::First); });
  connect(m_verify->cmdPrevious, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Previous); });
  connect(m_verify->cmdNext, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Next); });
  connect(m_verify->cmdEnd, &QPushButton::clicked, this, [this] { MoveVerifyRow(VerifyMove::Last); });
  connect(m_verify->cmdCheck, &QPushButton::clicked, this, &TessarineProWindow::cmdCheck_Click);
  connect(m_verify->cmdDeleteFiles, &QPushButton::clicked, this, &TessarineProWindow::cmdDeleteFiles_Click);
  connect(m_verify->cmdDeleteLines, &QPushButton::clicked, this, &TessarineProWindow::cmdDeleteLines_Click);
  // Both delete buttons wait for a run that lists something.
  m_verify->cmdDeleteFiles->setEnabled(false);
  m_verify->cmdDeleteLines->setEnabled(false);
}

DisplayFields TessarineProWindow::DisplayMode() const {
  return m_verify->optDisplayFields->checkedId() == 1 ? DisplayFields::All : DisplayFields::NonEmptyOnly;
}

void TessarineProWindow::ShowVerifyRow(const VerifyView& view) {
  // The core ends each line with CR LF; the box breaks lines on LF.
  QString text = Text(view.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  m_verify->txtVerifyResult->setPlainText(text);
  if (view.label) m_verify->lblVerifyResult->setText(Text(*view.label));
}

void TessarineProWindow::cmdVerifyQuery_Click() {
  m_verify->txtVerifyResult->clear();
  BusyPointer busy(*m_port);
  const std::optional<VerifyView> view =
      m_browser->RunQuery(DataSourceOf(m_settings, FileDsnSelected()),
                          m_verify->txtVerifyQuery->toPlainText().toStdString(), DisplayMode());
  if (view) ShowVerifyRow(*view);
}

void TessarineProWindow::MoveVerifyRow(VerifyMove move) {
  if (const std::optional<VerifyView> view = m_browser->Move(move, DisplayMode())) ShowVerifyRow(*view);
}

void TessarineProWindow::LockForCheck(bool running) {
  m_verify->cmdCancelCheck->setVisible(running);
  m_verify->cmdCheck->setVisible(!running);
  m_tabStrip->setEnabled(!running);
  m_verify->TabStripVerify->setEnabled(!running);
  if (running) {
    m_verify->cmdDeleteFiles->setEnabled(false);
    m_verify->cmdDeleteLines->setEnabled(false);
  }
}

void TessarineProWindow::cmdCheck_Click() {
  LoadFolderList();
  const std::vector<FolderEntry> folders = FolderEntries();
  ClearCheckCancelRequest();
  LockForCheck(true);
  for (QTreeWidget* list : m_verify->lvCheckedFiles) list->clear();
  m_filesWithoutLines.clear();
  m_linesWithoutFiles.clear();

  CheckHooks hooks;
  hooks.cancelRequested = [this] { return CheckCancelRequested(); };
  hooks.progress = [this](const std::string& line) { m_verify->txtCheckedFile->setText(Text(line)); };
  hooks.fileWithoutLine = [this](const CheckedFile& file) {
    AddCheckedItem(m_verify->lvCheckedFiles[0], file.folder, file.file);
  };
  hooks.lineWithoutFile = [this](const CheckedLine& line) {
    AddCheckedItem(m_verify->lvCheckedFiles[1], line.folder, line.file);
  };
  CheckResult result = RunConsistencyCheck(Connection(), *m_port, m_settings, FileDsnSelected(), folders, hooks);
  m_filesWithoutLines = std::move(result.filesWithoutLines);
  m_linesWithoutFiles = std::move(result.linesWithoutFiles);

  LockForCheck(false);
  if (result.status) {
    m_verify->cmdDeleteFiles->setEnabled(!m_filesWithoutLines.empty());
    m_verify->cmdDeleteLines->setEnabled(!m_linesWithoutFiles.empty());
  }
}

void TessarineProWindow::cmdDeleteFiles_Click() {
  // The files removed are the listed entries' own bytes, never a path rebuilt from the shown text.
  DeleteFilesWithoutLines(*m_port, m_filesWithoutLines);
  if (m_filesWithoutLines.empty()) m_verify->lvCheckedFiles[0]->clear();
}

void TessarineProWindow::cmdDeleteLines_Click() {
  DeleteLinesWithoutFiles(Connection(), *m_port, m_settings, FileDsnSelected(), m_linesWithoutFiles);
  if (m_linesWithoutFiles.empty()) m_verify->lvCheckedFiles[1]->clear();
}

}  // namespace tessarine
