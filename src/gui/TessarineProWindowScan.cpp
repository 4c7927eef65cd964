// Tab "5 - Scan folders": the folder list, its add and remove buttons, and the scan with its
// window lock. The work itself is the core's (LoadFolderEntries, AddFolderToScan,
// RemoveFolderToScan, ScanFolders); here the list and the controls follow it.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include <exception>

#include "catalogue/CatalogueConnection.h"
#include "core/TextDecoding.h"
#include "core/WindowTitle.h"
#include "gui/LinkLabel.h"
#include "gui/ScanFrame.h"
#include "gui/TessarineProWindow.h"
#include "gui/VerifyFrame.h"
#include "gui/WindowUserPort.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine {
namespace {

// The colours of the folder list: a folder not found on disk, and a subfolder to update.
const QColor kLightRed(255, 128, 128);
const QColor kLightBlue(128, 128, 255);

QString Text(const std::string& text) { return QString::fromStdString(text); }

void SetBold(QTreeWidgetItem* item, bool bold) {
  for (int column = 0; column < item->columnCount(); ++column) {
    QFont font = item->font(column);
    font.setBold(bold);
    item->setFont(column, font);
  }
}

}  // namespace

void TessarineProWindow::ConnectScanHandlers() {
  connect(m_scan->cmdAddFolder, &QPushButton::clicked, this, &TessarineProWindow::cmdAddFolder_Click);
  connect(m_scan->cmdRemoveFolder, &QPushButton::clicked, this, &TessarineProWindow::cmdRemoveFolder_Click);
  connect(m_scan->cmdScan, &QPushButton::clicked, this, &TessarineProWindow::ScanFolders);
  connect(m_scan->lvFolders, &QTreeWidget::itemChanged, this, &TessarineProWindow::lvFolders_ItemCheck);
  m_scan->lvFolders->installEventFilter(this);
}

bool TessarineProWindow::eventFilter(QObject* watched, QEvent* event) {
  // The Delete key in the folder list removes the selected entry as the button does.
  if (watched == m_scan->lvFolders && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && m_scan->cmdRemoveFolder->isEnabled()) {
    cmdRemoveFolder_Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

std::vector<FolderEntry> TessarineProWindow::FolderEntries() const {
  std::vector<FolderEntry> entries = m_folderEntries;
  const int rows = m_scan->lvFolders->topLevelItemCount();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i);
    entries[i].checked = row < rows && m_scan->lvFolders->topLevelItem(row)->checkState(0) == Qt::Checked;
  }
  return entries;
}

void TessarineProWindow::LoadFolderList() {
  m_scan->lvFolders->clear();
  m_folderEntries.clear();
  m_scan->lblSubFolder->setVisible(false);
  m_scan->SetFoldersHeader(Text(m_settings.folders));
  if (m_folderListLoader) {
    m_folderListLoader();
  } else {
    const FolderListLoad load = LoadFolderEntries(Connection(), *m_port, m_settings, FileDsnSelected());
    ShowFolderEntries(load.entries);
    // A connection that fails leaves the buttons as they were; a table that cannot be read disables them.
    if (load.Connected()) {
      m_scan->cmdAddFolder->setEnabled(load.tableReadable);
      m_scan->cmdRemoveFolder->setEnabled(load.tableReadable);
    }
  }
  // Every entry starts unticked.
  m_scan->cmdScan->setEnabled(false);
  m_scan->FrameHelp->setVisible(m_scan->lvFolders->topLevelItemCount() == 0);
}

void TessarineProWindow::ShowFolderEntries(const std::vector<FolderEntry>& entries) {
  for (const FolderEntry& entry : entries) {
    m_folderEntries.push_back(entry);
    AddFolderItem(entry);
  }
}

QTreeWidgetItem* TessarineProWindow::AddFolderItem(const FolderEntry& entry) {
  // The row is complete before it joins the list, so adding it is not taken for a tick.
  auto* item = new QTreeWidgetItem;
  item->setText(0, Text(entry.folder.Text()));
  item->setText(1, Text(entry.status));
  item->setText(2, Text(entry.files));
  item->setText(3, Text(entry.lastScan));
  item->setTextAlignment(1, Qt::AlignCenter);
  item->setTextAlignment(2, Qt::AlignCenter);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, entry.checked ? Qt::Checked : Qt::Unchecked);
  if (entry.IsSubfolderToUpdate()) {
    item->setForeground(0, kLightBlue);
  } else if (entry.status != "OK") {
    item->setForeground(0, kLightRed);
  }
  m_scan->lvFolders->addTopLevelItem(item);
  return item;
}

void TessarineProWindow::lvFolders_ItemCheck() {
  // During a scan only the weight of the rows changes; the Scan button is hidden then.
  if (!m_scan->cmdCancel->isHidden()) return;
  bool anyTicked = false;
  for (int row = 0; row < m_scan->lvFolders->topLevelItemCount() && !anyTicked; ++row) {
    anyTicked = m_scan->lvFolders->topLevelItem(row)->checkState(0) == Qt::Checked;
  }
  m_scan->cmdScan->setEnabled(anyTicked);
}

std::optional<std::string> TessarineProWindow::ChooseFolderWithDialog() {
  const QString folder = QFileDialog::getExistingDirectory(this, m_scan->cmdAddFolder->text(), QString(),
                                                           QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  // The path as the disk names it.
  return QFile::encodeName(folder).toStdString();
}

void TessarineProWindow::cmdAddFolder_Click() {
  m_scan->sqlOutPut->clear();
  const std::optional<std::string> chosen = m_chooseFolder ? m_chooseFolder() : ChooseFolderWithDialog();
  if (!chosen || chosen->empty()) return;

  const AddFolderResult added =
      AddFolderToScan(Connection(), *m_port, m_settings, FileDsnSelected(), *chosen, FolderEntries());
  switch (added.outcome) {
    case AddFolderOutcome::Forbidden:
    case AddFolderOutcome::AlreadyListed:
      return;
    case AddFolderOutcome::SubfolderToUpdate:
      // For this scan only: nothing is written, the next load drops it.
      m_folderEntries.push_back(added.entry);
      AddFolderItem(added.entry);
      m_scan->lblSubFolder->setVisible(true);
      m_scan->FrameHelp->setVisible(false);
      m_scan->cmdScan->setEnabled(true);
      return;
    case AddFolderOutcome::Inserted:  // or refused: the list shows what the table holds
      break;
  }
  m_scan->cmdScan->setEnabled(false);
  LoadFolderList();
}

void TessarineProWindow::cmdRemoveFolder_Click() {
  m_scan->sqlOutPut->clear();
  std::optional<FolderEntry> selected;
  const QList<QTreeWidgetItem*> items = m_scan->lvFolders->selectedItems();
  if (!items.isEmpty()) {
    const int row = m_scan->lvFolders->indexOfTopLevelItem(items.front());
    if (row >= 0 && static_cast<std::size_t>(row) < m_folderEntries.size()) {
      selected = m_folderEntries[static_cast<std::size_t>(row)];
    }
  }
  const Expected<RemoveFolderOutcome> outcome = RemoveFolderToScan(Connection(), *m_port, m_settings,
                                                                   FileDsnSelected(), selected ? &*selected : nullptr);
  if (outcome && (*outcome == RemoveFolderOutcome::NothingSelected || *outcome == RemoveFolderOutcome::Declined)) {
    return;
  }
  m_scan->cmdScan->setEnabled(false);
  LoadFolderList();
}

void TessarineProWindow::LockForScan(bool locked) {
  m_scan->cmdCancel->setVisible(locked);
  m_scan->cmdScan->setVisible(!locked);
  m_tabStrip->setEnabled(!locked);
  m_scan->lblNextStep->setEnabled(!locked);
  m_scan->cmdAddFolder->setEnabled(!locked);
  m_scan->cmdRemoveFolder->setEnabled(!locked);
  m_scan->chkThumbnails->setEnabled(!locked);
  const bool thumbnailOptions = !locked && m_scan->chkThumbnails->isChecked();
  m_scan->frameThumbnails->setEnabled(thumbnailOptions);
  for (QAbstractButton* option : m_scan->optThumbnails->buttons()) option->setEnabled(thumbnailOptions);
  m_exit->setEnabled(!locked);
  m_scan->lvFolders->setEnabled(!locked);
  // Enabled again when an entry is ticked.
  if (!locked) m_scan->cmdScan->setEnabled(false);
}

void TessarineProWindow::ScanFolders() {
  if (!m_scan->cmdCancel->isHidden()) return;  // a scan is running already
  m_scan->sqlOutPut->clear();
  m_stopRequested = false;

  LockForScan(true);
  m_verify->lblVerifyResult->setText(QStringLiteral("Result"));
  m_verify->txtVerifyResult->clear();
  m_port->SetStatus("");
  m_scan->imgDest->clear();

  ScanHooks hooks;
  hooks.stopRequested = [this] { return m_stopRequested; };
  hooks.markEntry = [this](std::size_t index, bool working) {
    QTreeWidgetItem* item = m_scan->lvFolders->topLevelItem(static_cast<int>(index));
    if (item == nullptr) return;
    SetBold(item, working);
    m_scan->lvFolders->viewport()->repaint();
  };

  ScanResult result;
  try {
    result = tessarine::ScanFolders(Connection(), *m_port, m_settings, FileDsnSelected(), m_settingsFile,
                                    FolderEntries(), hooks);
  } catch (const std::exception& error) {
    // Nothing the core lets through may end the program; the window is unlocked below.
    Connection().CloseConnection();
    m_port->ShowMessage(error.what(), MessageIcon::Critical, kWindowTitle, MessageButtons::Ok);
  }

  LockForScan(false);
  if (result.reloadFolderList) {
    LoadFolderList();
    // The reload's connection clears the status line: the elapsed time is the last word.
    m_port->SetStatus(ElapsedTimeText(result.elapsed));
  }
}

}  // namespace tessarine
