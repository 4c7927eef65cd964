#include "gui/ScanTab.h"

#include <map>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <QCoreApplication>
#include <QMetaObject>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <exception>

#include "catalogue/CatalogueConnection.h"
#include "core/WindowTitle.h"
#include "gui/BackgroundWatch.h"
#include "gui/CrossThreadUserPort.h"
#include "gui/LinkLabel.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ProgressText.h"
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

// An exclusive group refuses to leave every option clear; lift that for the moment of clearing.
void ClearOptions(QButtonGroup* group) {
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

}  // namespace

ScanTab::ScanTab(WindowContext& context, QWidget* parent)
    : ScanFrame(parent),
      m_context(context),
      m_watch(std::make_unique<BackgroundWatch>(context, this)),
      m_progressTimer(new QTimer(this)) {
  m_context.SetWatchControl([this] { m_watch->Stop(); }, [this] { KeepCurrent(); });
  m_progressTimer->setInterval(100);
  connect(m_progressTimer, &QTimer::timeout, this, &ScanTab::ShowLatestProgress);
}

void ScanTab::ShowSettings() {
  const Settings& settings = m_context.CurrentSettings();
  SetFoldersHeader(Text(settings.folders));
  QPalette blue = lblSubFolder->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  lblSubFolder->setPalette(blue);
  optThumbnails->button(settings.reCreateThumbnails ? 0 : 1)->setChecked(true);
  chkThumbnails->setChecked(settings.createThumbnails);
  chkThumbnailsFromPreviews->setChecked(settings.thumbnailsFromPreviews);
  chkOnlyChangedFiles->setChecked(settings.onlyChangedFiles);
  chkKeepCurrent->setChecked(settings.keepCatalogueCurrent);
  ApplyThumbnailRule(settings.createThumbnails);
}

void ScanTab::ConnectHandlers() {
  connect(chkThumbnails, &QCheckBox::clicked, this, &ScanTab::chkThumbnails_Click);
  connect(chkThumbnailsFromPreviews, &QCheckBox::clicked, this, [this](bool on) {
    StoreThumbnailsFromPreviews(m_context.CurrentSettings(), m_context.SettingsFile(), on);
  });
  connect(chkOnlyChangedFiles, &QCheckBox::clicked, this, [this](bool on) {
    StoreOnlyChangedFiles(m_context.CurrentSettings(), m_context.SettingsFile(), on);
  });
  connect(chkKeepCurrent, &QCheckBox::clicked, this, [this](bool on) {
    StoreKeepCatalogueCurrent(m_context.CurrentSettings(), m_context.SettingsFile(), on);
    KeepCurrent();
  });
  connect(optThumbnails, &QButtonGroup::idClicked, this, &ScanTab::optThumbnails_Click);
  connect(cmdCancel, &QPushButton::clicked, this, [this] { m_context.RequestStop(); });
  connect(cmdAddFolder, &QPushButton::clicked, this, &ScanTab::cmdAddFolder_Click);
  connect(cmdRemoveFolder, &QPushButton::clicked, this, &ScanTab::cmdRemoveFolder_Click);
  connect(cmdScan, &QPushButton::clicked, this, &ScanTab::ScanFolders);
  connect(lvFolders, &QTreeWidget::itemChanged, this, &ScanTab::lvFolders_ItemCheck);
  lvFolders->installEventFilter(this);
  // Folders dropped from a file manager are added as if chosen one by one.
  lvFolders->viewport()->setAcceptDrops(true);
  lvFolders->viewport()->installEventFilter(this);
}

std::vector<std::string> ScanTab::DroppedFolders(const QMimeData* mime) const {
  std::vector<std::string> folders;
  if (mime == nullptr || !mime->hasUrls() || !cmdAddFolder->isEnabled()) return folders;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isDir()) folders.push_back(QFile::encodeName(QDir::cleanPath(path)).toStdString());
  }
  return folders;
}

bool ScanTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvFolders->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DroppedFolders(drag->mimeData()).empty()) {
        drag->ignore();
      } else {
        drag->acceptProposedAction();
      }
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const std::vector<std::string> folders = DroppedFolders(drop->mimeData());
      if (folders.empty()) return true;
      drop->acceptProposedAction();
      sqlOutPut->clear();
      for (const std::string& folder : folders) AddFolder(folder);
      return true;
    }
  }
  // The Delete key in the folder list removes the selected entry as the button does.
  if (watched == lvFolders && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && cmdRemoveFolder->isEnabled()) {
    cmdRemoveFolder_Click();
    return true;
  }
  return ScanFrame::eventFilter(watched, event);
}

std::vector<FolderEntry> ScanTab::FolderEntries() const {
  std::vector<FolderEntry> entries = m_folderEntries;
  const int rows = lvFolders->topLevelItemCount();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i);
    entries[i].checked = row < rows && lvFolders->topLevelItem(row)->checkState(0) == Qt::Checked;
  }
  return entries;
}

void ScanTab::EnableFolderButtons() {
  cmdAddFolder->setEnabled(true);
  cmdRemoveFolder->setEnabled(true);
}

void ScanTab::ScanFoldersHolding(const std::vector<FolderKey>& folders) {
  bool any = false;
  for (std::size_t i = 0; i < m_folderEntries.size(); ++i) {
    const FolderEntry& entry = m_folderEntries[i];
    const bool holds = std::ranges::any_of(folders, [&](const FolderKey& f) { return entry.folder.Contains(f); });
    if (!holds || entry.IsSubfolderToUpdate()) continue;
    lvFolders->topLevelItem(static_cast<int>(i))->setCheckState(0, Qt::Checked);
    any = true;
  }
  if (any) ScanFolders();
}

bool ScanTab::ScanRunning() const { return !cmdCancel->isHidden(); }

void ScanTab::LoadFolderList() {
  lvFolders->clear();
  m_folderEntries.clear();
  lblSubFolder->setVisible(false);
  SetFoldersHeader(Text(m_context.CurrentSettings().folders));
  if (m_folderListLoader) {
    m_folderListLoader();
  } else {
    const FolderListLoad load = LoadFolderEntries(m_context.Connection(), m_context.Port(),
                                                  m_context.CurrentSettings(), m_context.FileDsnSelected());
    ShowFolderEntries(load.entries);
    // A connection that fails leaves the buttons as they were; a table that cannot be read, or whose
    // name is refused, disables them.
    if (load.Connected() || load.status.Is(ErrorKind::TableName)) {
      cmdAddFolder->setEnabled(load.tableReadable);
      cmdRemoveFolder->setEnabled(load.tableReadable);
    }
    // A watch that could not read the list (no catalogue yet, say) starts once the window can.
    m_listReadable = load.tableReadable;
    KeepCurrent();
  }
  // Every entry starts unticked.
  cmdScan->setEnabled(false);
  FrameHelp->setVisible(lvFolders->topLevelItemCount() == 0);
}

void ScanTab::KeepCurrent() {
  if (chkKeepCurrent->isChecked() && m_listReadable && !m_context.WatchPaused()) {
    m_watch->Start();
  } else {
    m_watch->Stop();
  }
}

void ScanTab::ShowFolderEntries(const std::vector<FolderEntry>& entries) {
  for (const FolderEntry& entry : entries) {
    m_folderEntries.push_back(entry);
    AddFolderItem(entry);
  }
}

QTreeWidgetItem* ScanTab::AddFolderItem(const FolderEntry& entry) {
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
  lvFolders->addTopLevelItem(item);
  return item;
}

void ScanTab::lvFolders_ItemCheck() {
  // During a scan only the weight of the rows changes; the Scan button is hidden then.
  if (ScanRunning()) return;
  bool anyTicked = false;
  for (int row = 0; row < lvFolders->topLevelItemCount() && !anyTicked; ++row) {
    anyTicked = lvFolders->topLevelItem(row)->checkState(0) == Qt::Checked;
  }
  cmdScan->setEnabled(anyTicked);
}

void ScanTab::cmdAddFolder_Click() {
  sqlOutPut->clear();
  const std::optional<std::string> chosen = m_context.ChooseFolder(window(), cmdAddFolder->text());
  if (!chosen || chosen->empty()) return;
  AddFolder(*chosen);
}

void ScanTab::AddFolder(const std::string& chosen) {
  StoreLastFolder(m_context.CurrentSettings(), m_context.SettingsFile(), chosen);
  // The live watch starts again with the new list: the folder added is caught up and watched.
  const WatchPause pause(m_context);
  const AddFolderResult added = AddFolderToScan(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(),
                                                m_context.FileDsnSelected(), chosen, FolderEntries());
  switch (added.outcome) {
    case AddFolderOutcome::Forbidden:
    case AddFolderOutcome::AlreadyListed:
      return;
    case AddFolderOutcome::SubfolderToUpdate:
      // For this scan only: nothing is written, the next load drops it.
      m_folderEntries.push_back(added.entry);
      AddFolderItem(added.entry);
      lblSubFolder->setVisible(true);
      FrameHelp->setVisible(false);
      cmdScan->setEnabled(true);
      return;
    case AddFolderOutcome::Inserted:  // or refused: the list shows what the table holds
      break;
  }
  cmdScan->setEnabled(false);
  LoadFolderList();
}

void ScanTab::cmdRemoveFolder_Click() {
  sqlOutPut->clear();
  std::optional<FolderEntry> selected;
  const QList<QTreeWidgetItem*> items = lvFolders->selectedItems();
  if (!items.isEmpty()) {
    const int row = lvFolders->indexOfTopLevelItem(items.front());
    if (row >= 0 && static_cast<std::size_t>(row) < m_folderEntries.size()) {
      selected = m_folderEntries[static_cast<std::size_t>(row)];
    }
  }
  const WatchPause pause(m_context);
  const Expected<RemoveFolderResult> removed =
      RemoveFolderToScan(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(),
                         m_context.FileDsnSelected(), selected ? &*selected : nullptr);
  if (removed && (removed->outcome == RemoveFolderOutcome::NothingSelected ||
                  removed->outcome == RemoveFolderOutcome::Declined)) {
    return;
  }
  cmdScan->setEnabled(false);
  LoadFolderList();
  // The reload cleared the status line.
  if (removed && removed->outcome == RemoveFolderOutcome::Removed) m_context.Port().SetStatus(removed->summary);
}

void ScanTab::LockForScan(bool locked) {
  cmdCancel->setVisible(locked);
  cmdScan->setVisible(!locked);
  lblNextStep->setEnabled(!locked);
  cmdAddFolder->setEnabled(!locked);
  cmdRemoveFolder->setEnabled(!locked);
  chkThumbnails->setEnabled(!locked);
  chkOnlyChangedFiles->setEnabled(!locked);
  const bool thumbnailOptions = !locked && chkThumbnails->isChecked();
  frameThumbnails->setEnabled(thumbnailOptions);
  chkThumbnailsFromPreviews->setEnabled(thumbnailOptions);
  for (QAbstractButton* option : optThumbnails->buttons()) option->setEnabled(thumbnailOptions);
  lvFolders->setEnabled(!locked);
  // Enabled again when an entry is ticked.
  if (!locked) cmdScan->setEnabled(false);
  emit scanRunning(locked);
}

void ScanTab::ScanFolders() {
  if (ScanRunning()) return;  // a scan is running already
  sqlOutPut->clear();
  m_context.ClearStopRequest();
  m_context.PauseWatch();

  LockForScan(true);
  m_context.Port().SetStatus("");
  imgDest->clear();
  prgScan->setRange(0, 0);  // busy until the quick count is done
  prgScan->setVisible(true);
  lblProgress->clear();
  lblProgress->setVisible(true);

  // The scan runs on a thread of its own; what it shows is carried to the window's thread, so the
  // window repaints, the preview follows and "Stop" is read at the next file.
  m_scanPort = std::make_unique<CrossThreadUserPort>(m_context.Port(), this);
  ScanHooks hooks;
  hooks.stopRequested = [this] { return m_context.StopRequested(); };
  hooks.markEntry = [this](std::size_t index, bool working) {
    QMetaObject::invokeMethod(this, [this, index, working] {
      if (QTreeWidgetItem* item = lvFolders->topLevelItem(static_cast<int>(index))) SetBold(item, working);
    }, Qt::QueuedConnection);
  };
  // The latest progress is kept, and shown ten times a second while the scan runs: the label
  // never lags the log by more than that, and the window need not redraw for every file.
  m_scanStart = std::chrono::steady_clock::now();
  m_latestProgress.reset();
  hooks.progress = [this](const ScanProgress& progress) {
    const std::lock_guard lock(m_progressMutex);
    m_latestProgress = progress;
  };
  m_progressTimer->start();

  const std::vector<FolderEntry> entries = FolderEntries();
  m_scanThread = std::thread([this, entries, hooks, settings = m_context.CurrentSettings(),
                              fileDsn = m_context.FileDsnSelected(), settingsFile = m_context.SettingsFile()] {
    ScanResult result;
    try {
      result = tessarine::ScanFolders(m_context.Connection(), *m_scanPort, settings, fileDsn, settingsFile, entries,
                                      hooks);
    } catch (const std::exception& error) {
      // Nothing the workflow lets through may end the program; the window is unlocked all the same.
      m_context.Connection().CloseConnection();
      m_scanPort->ShowMessage(error.what(), MessageIcon::Critical, kWindowTitle, MessageButtons::Ok);
    }
    QMetaObject::invokeMethod(this, [this, result, entries] { ScanFinished(result, entries); },
                              Qt::QueuedConnection);
  });
}

void ScanTab::ShowLatestProgress() {
  std::optional<ScanProgress> progress;
  {
    const std::lock_guard lock(m_progressMutex);
    progress = m_latestProgress;
  }
  if (progress) ShowProgress(*progress, std::chrono::steady_clock::now() - m_scanStart);
}

void ScanTab::ShowProgress(const ScanProgress& progress, std::chrono::duration<double> elapsed) {
  if (!ScanRunning()) return;
  const bool counted = progress.filesTotal > 0 && progress.filesDone <= progress.filesTotal;
  // A progress bar counts in int: a total beyond it is shown in thousands.
  const long long unit = progress.filesTotal > 1'000'000'000 ? 1000 : 1;
  prgScan->setRange(0, counted ? static_cast<int>(progress.filesTotal / unit) : 0);
  if (counted) prgScan->setValue(static_cast<int>(progress.filesDone / unit));
  lblProgress->setText(Text(ProgressText(progress, elapsed)));
}

void ScanTab::ScanFinished(const ScanResult& result, const std::vector<FolderEntry>& entries) {
  if (m_scanThread.joinable()) m_scanThread.join();
  m_scanPort.reset();
  m_progressTimer->stop();
  m_context.ResumeWatch();
  prgScan->setVisible(false);
  // What the scan did stays in the progress line's place until the next scan.
  lblProgress->setVisible(result.reloadFolderList);
  lblProgress->setText(Text(ScanSummaryText(result)));
  WindowUserPort& port = m_context.Port();
  LockForScan(false);
  if (result.reloadFolderList) {
    LoadFolderList();
    ShowUnfinishedEntries(entries, result.entries);
    // The reload's connection clears the status line: the elapsed time is the last word.
    port.SetStatus(ScanEndText(result));
  }
  emit scanFinished();
}

void ScanTab::WaitForTheScan() {
  // The scan may be waiting for an answer or for its lines to be shown: the window's events go on.
  while (m_scanThread.joinable() && ScanRunning()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
}

ScanTab::~ScanTab() {
  m_context.SetWatchControl({}, {});
  m_watch->Stop();
  if (!m_scanThread.joinable()) return;
  m_context.RequestStop();
  WaitForTheScan();
  if (m_scanThread.joinable()) m_scanThread.join();
}

void ScanTab::ShowUnfinishedEntries(const std::vector<FolderEntry>& scanned, const std::vector<EntryOutcome>& outcomes) {
  // The reloaded list shows the table's counts; an entry the scan did not finish says why instead
  // of "OK", and a stopped one shows the rows it holds now (its time is that of its last
  // finished scan).
  std::map<std::string, const EntryOutcome*> unfinished;
  for (const EntryOutcome& outcome : outcomes) {
    if (outcome.status != "OK" && outcome.index < scanned.size()) {
      unfinished[scanned[outcome.index].folder.Text()] = &outcome;
    }
  }
  const std::vector<FolderEntry> shown = FolderEntries();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto found = unfinished.find(shown[i].folder.Text());
    QTreeWidgetItem* item = lvFolders->topLevelItem(static_cast<int>(i));
    if (found == unfinished.end() || item == nullptr) continue;
    item->setText(1, Text(found->second->status));
    if (found->second->rows) item->setText(2, QString::number(*found->second->rows));
  }
}

void ScanTab::chkThumbnails_Click() {
  Settings& settings = m_context.CurrentSettings();
  const bool create = chkThumbnails->isChecked();
  StoreCreateThumbnails(settings, m_context.SettingsFile(), create);
  ApplyThumbnailRule(create);
  if (create) {
    optThumbnails->button(1)->setChecked(true);
    StoreReCreateThumbnails(settings, m_context.SettingsFile(), false);
  }
}

void ScanTab::ApplyThumbnailRule(bool createThumbnails) {
  frameThumbnails->setEnabled(createThumbnails);
  chkThumbnailsFromPreviews->setEnabled(createThumbnails);
  for (QAbstractButton* option : optThumbnails->buttons()) option->setEnabled(createThumbnails);
  // Unticked: neither option shows; ReCreateThumbnails keeps its stored value.
  if (!createThumbnails) ClearOptions(optThumbnails);
}

void ScanTab::optThumbnails_Click(int index) {
  StoreReCreateThumbnails(m_context.CurrentSettings(), m_context.SettingsFile(), index == 0);
}

}  // namespace tessarine
