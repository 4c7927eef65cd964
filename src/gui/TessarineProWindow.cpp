#include "gui/TessarineProWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QVBoxLayout>

#include "catalogue/SqlDialect.h"
#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "gui/ConnectionTab.h"
#include "gui/DatabaseTab.h"
#include "gui/LinkLabel.h"
#include "gui/MetadataTab.h"
#include "gui/ScanTab.h"
#include "gui/StatusLine.h"
#include "gui/TablesTab.h"
#include "gui/VerifyTab.h"
#include "gui/WidgetNames.h"
#include "gui/WindowPlacement.h"
#include "gui/WindowUserPort.h"
#include "gui/browse/CatalogueBrowser.h"
#include "workflows/browse/CataloguePresence.h"

namespace tessarine {

TessarineProWindow::TessarineProWindow(std::filesystem::path settingsFile, const Preparation& prepare,
                                       QWidget* parent)
    : QWidget(parent), m_context(std::move(settingsFile), ProgramFolder()) {
  setObjectName(QStringLiteral("frmTessarinePro"));
  BuildWindow();
  if (prepare) prepare(*this);
  Form_Load();
  ConnectHandlers();
}

TessarineProWindow::~TessarineProWindow() {
  // A scan or check still running is stopped after its file in progress; its end still uses
  // every tab.
  m_context.RequestStop();
  m_context.RequestCheckCancel();
  m_scan->WaitForTheScan();
  m_verify->WaitForTheCheck();
  // The tabs use the context to the last: they go before it does.
  for (int i = 1; i <= kTabCount; ++i) delete m_frames[i];
}

UserPort& TessarineProWindow::Port() { return m_context.Port(); }

void TessarineProWindow::SetFolderListLoader(FolderListLoader loader) {
  m_scan->SetFolderListLoader(std::move(loader));
}

void TessarineProWindow::LoadFolderList() { m_scan->LoadFolderList(); }

std::vector<FolderEntry> TessarineProWindow::FolderEntries() const { return m_scan->FolderEntries(); }

void TessarineProWindow::BuildWindow() {
  auto* layout = new QVBoxLayout(this);
  m_tabStrip = Named(new QTabBar(this), QStringLiteral("TabStripMain"));
  for (const char* caption : {"1 - Database", "2 - Connection", "3 - Tables", "4 - Metadata", "5 - Scan folders",
                              "Verify / Check", "Catalogue"}) {
    m_tabStrip->addTab(QString::fromLatin1(caption));
  }
  m_tabStrip->setExpanding(false);
  layout->addWidget(m_tabStrip);

  m_database = new DatabaseTab(m_context, this);
  m_connection = new ConnectionTab(m_context, this);
  m_tables = new TablesTab(m_context, this);
  m_metadata = new MetadataTab(m_context, this);
  m_scan = new ScanTab(m_context, this);
  m_verify = new VerifyTab(m_context, this);
  // The catalogue view, filled once the window has its port.
  auto* catalogueFrame = new QFrame(this);
  QFrame* frames[] = {m_database, m_connection, m_tables, m_metadata, m_scan, m_verify, catalogueFrame};

  // All the frames occupy one grid cell: the same rectangle, whichever is shown.
  auto* stack = new QGridLayout;
  for (int i = 1; i <= kTabCount; ++i) {
    QFrame* frame = Named(frames[i - 1], "FrameMain", i);
    m_frames[i] = frame;
    frame->setFrameShape(QFrame::StyledPanel);
    QSizePolicy policy = frame->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    frame->setSizePolicy(policy);
    stack->addWidget(frame, 0, 0);
  }
  layout->addLayout(stack, 1);

  auto* bottom = new QHBoxLayout;
  m_status = Named(new StatusLine(this), QStringLiteral("lblStatus"));
  m_exit = Named(new QPushButton(QStringLiteral("Exit"), this), QStringLiteral("cmdOK"));
  bottom->addWidget(m_status, 1);
  bottom->addWidget(m_exit, 0, Qt::AlignVCenter);
  layout->addLayout(bottom);

  // Tab leaves a text box rather than typing a tab character into it.
  for (QPlainTextEdit* box : findChildren<QPlainTextEdit*>()) box->setTabChangesFocus(true);

  m_context.SetPort(std::make_unique<WindowUserPort>(this, m_status, m_scan->sqlOutPut, m_scan->imgDest));
  m_catalogue = new CatalogueBrowser(m_context, catalogueFrame);
  // Its folder filter offers the folders of the list, below which its Folder column shows folders.
  m_catalogue->SetFolderSource([this] { return m_scan->FolderEntries(); });
  auto* catalogueLayout = new QVBoxLayout(catalogueFrame);
  catalogueLayout->setContentsMargins(0, 0, 0, 0);
  catalogueLayout->addWidget(m_catalogue);
  m_context.SetFileDsnSelected([this] { return m_connection->FileDsnSelected(); });
}

void TessarineProWindow::Form_Load() {
  // The version comes from the build, so the title and the about box always agree.
  setWindowTitle(QString::fromUtf8(kWindowTitle.data(), static_cast<qsizetype>(kWindowTitle.size())));

  // Controls are set before their handlers are connected, so loading never rewrites the file.
  m_context.CurrentSettings() = LoadSettings(m_context.SettingsFile());
  m_connection->ShowSettings();
  m_database->ShowSettings();
  m_tables->ShowSettings();
  m_metadata->ShowSettings();
  m_scan->ShowSettings();
  // A table name the file holds but no statement may carry is shown as stored, to be corrected.
  for (const std::string& warning : InvalidTableNameWarnings(m_context.CurrentSettings(), m_context.SettingsFile())) {
    m_context.Port().ShowMessage(warning, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  }

  m_scan->LoadFolderList();
  // A catalogue that holds photos opens on its view; one still to set up on the first tab.
  const bool holdsRows = CatalogueHoldsRows(m_context.Connection(), m_context.CurrentSettings(),
                                            m_context.FileDsnSelected());
  const int first = holdsRows ? kCatalogueTab : 1;
  for (int i = 1; i <= kTabCount; ++i) m_frames[i]->setVisible(i == first);
  m_tabStrip->setCurrentIndex(first - 1);
  if (holdsRows) {
    m_currentTab = first;
    m_catalogue->cmdSearch_Click();  // every photo, the first page
  }
}

void TessarineProWindow::ConnectHandlers() {
  connect(m_tabStrip, &QTabBar::tabBarClicked, this, [this](int index) { TabStripMain_Click(index + 1); });
  // A tab reached from the keyboard (arrows on the strip, the shortcuts below) is switched to as
  // if clicked; after a click the switch has already run and this one does nothing.
  connect(m_tabStrip, &QTabBar::currentChanged, this, [this](int index) { TabStripMain_Click(index + 1); });
  ConnectKeys();
  LinkLabel* nextSteps[] = {m_database->lblNextStep, m_connection->lblNextStep, m_tables->lblNextStep,
                            m_metadata->lblNextStep, m_scan->lblNextStep};
  for (int k = 1; k <= 5; ++k) {
    connect(nextSteps[k - 1], &LinkLabel::clicked, this, [this, k] { lblNextStep_Click(k); });
  }
  connect(m_exit, &QPushButton::clicked, this, &TessarineProWindow::cmdOK_Click);

  m_database->ConnectHandlers();
  connect(m_database, &DatabaseTab::EmbeddedCatalogueSelected, this, [this] {
    m_connection->ShowSettings();
    LoadFolderList();
  });
  m_connection->ConnectHandlers();
  m_tables->ConnectHandlers();
  m_metadata->ConnectHandlers();
  m_scan->ConnectHandlers();
  m_verify->ConnectHandlers();

  // What one tab's action means to another.
  connect(m_tables, &TablesTab::foldersTableCreated, m_scan, &ScanTab::EnableFolderButtons);
  connect(m_tables, &TablesTab::tableActionConfirmed, m_connection, &ConnectionTab::ClearResult);
  connect(m_tables, &TablesTab::folderListReloadRequested, m_scan, &ScanTab::LoadFolderList);
  connect(m_scan, &ScanTab::scanRunning, this, &TessarineProWindow::LockForScan);
  connect(m_verify, &VerifyTab::checkRunning, this, [this](bool running) { m_tabStrip->setEnabled(!running); });
  // "Scan their folders": tab 5, with the listed folders that hold them ticked, scans.
  connect(m_verify, &VerifyTab::scanRequested, this, [this](const std::vector<FolderKey>& folders) {
    lblNextStep_Click(4);
    m_scan->ScanFoldersHolding(folders);
  });
  // The check walks the folders of the list as the folders table holds them now.
  m_verify->SetFolderSource([this] {
    m_scan->LoadFolderList();
    return m_scan->FolderEntries();
  });
}

void TessarineProWindow::ConnectKeys() {
  const auto onKeys = [this](std::initializer_list<QKeySequence> keys, auto action) {
    for (const QKeySequence& key : keys) {
      auto* shortcut = new QShortcut(key, this);
      connect(shortcut, &QShortcut::activated, this, action);
    }
  };
  onKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, [this] { StepTab(+1); });
  onKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
         [this] { StepTab(-1); });
  onKeys({QKeySequence(Qt::Key_Escape)}, [this] { StopWhatRuns(); });
}

void TessarineProWindow::StepTab(int step) {
  // Locked with the strip while a scan or a check runs.
  if (!m_tabStrip->isEnabled()) return;
  const int shown = m_currentTab == 0 ? 1 : m_currentTab;
  const int next = (shown - 1 + step + kTabCount) % kTabCount;
  m_tabStrip->setCurrentIndex(next);
  TabStripMain_Click(next + 1);
}

void TessarineProWindow::StopWhatRuns() {
  if (m_scan->ScanRunning()) m_scan->cmdCancel->click();
  if (m_verify->CheckRunning()) m_verify->cmdCancelCheck->click();
}

void TessarineProWindow::TabStripMain_Click(int tab) {
  if (tab == m_currentTab || tab < 1 || tab > kTabCount) return;
  m_context.Port().SetStatus("");
  m_currentTab = tab;
  m_tables->StoreTableNames();

  const Settings& settings = m_context.CurrentSettings();
  const SqlDialect& dialect = SqlDialectFor(settings.dbms);
  m_connection->ShowTestQuery(dialect);
  m_verify->ShowImagesTable(dialect, settings.images);

  for (int i = 1; i <= kTabCount; ++i) m_frames[i]->setVisible(i == tab);
  m_frames[tab]->update();

  if (tab == 5) {
    m_tables->SaveTableNames();
    m_scan->LoadFolderList();
  }
}

void TessarineProWindow::lblNextStep_Click(int index) {
  m_tabStrip->setCurrentIndex(index);
  TabStripMain_Click(index + 1);
  // The link followed is hidden with its tab: the focus goes to the tab strip, not on to Exit.
  m_tabStrip->setFocus(Qt::OtherFocusReason);
}

void TessarineProWindow::LockForScan(bool running) {
  m_tabStrip->setEnabled(!running);
  m_exit->setEnabled(!running);
  // The rows the browsers show are about to change.
  if (running) {
    m_verify->ClearResult();
    m_catalogue->Clear();
  }
}

bool TessarineProWindow::Form_QueryUnload() {
  // While a scan runs its "Stop" button is shown: closing then only asks the scan to stop.
  if (m_scan->ScanRunning()) {
    m_context.RequestStop();
    return false;
  }
  // Likewise during a check, whose "Cancel" button is shown.
  if (m_verify->CheckRunning()) {
    m_context.RequestCheckCancel();
    return false;
  }
  return true;
}

void TessarineProWindow::Form_Unload() {
  m_connection->SaveConnection();
  m_tables->SaveTableNames();
  // A maximized window keeps the place it returns to.
  const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
  StoreWindowPlace(m_context.CurrentSettings(), m_context.SettingsFile(),
                   {normal.left(), normal.top(), normal.width(), normal.height(), isMaximized()});
}

bool TessarineProWindow::PlaceOnScreen(const QRect& available) {
  const std::optional<WindowPlace>& stored = m_context.CurrentSettings().window;
  const QRect place = tessarine::PlaceOnScreen(stored, sizeHint().expandedTo(QSize(1000, 700)), available);
  resize(place.size());
  move(place.topLeft());
  return stored && stored->maximized;
}

void TessarineProWindow::closeEvent(QCloseEvent* event) {
  if (!Form_QueryUnload()) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

void TessarineProWindow::cmdOK_Click() { close(); }

}  // namespace tessarine
