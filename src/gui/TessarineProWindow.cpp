#include "gui/TessarineProWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/SqlDialect.h"
#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "gui/ConnectionFrame.h"
#include "gui/DatabaseFrame.h"
#include "gui/LinkLabel.h"
#include "gui/MetadataFrame.h"
#include "gui/OpenDocument.h"
#include "gui/ScanFrame.h"
#include "gui/TablesFrame.h"
#include "gui/VerifyFrame.h"
#include "gui/WidgetNames.h"
#include "gui/WindowUserPort.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TessarineProWindow::TessarineProWindow(std::filesystem::path settingsFile, const Preparation& prepare,
                                       QWidget* parent)
    : QWidget(parent), m_settingsFile(std::move(settingsFile)), m_programFolder(ProgramFolder()) {
  setObjectName(QStringLiteral("frmTessarinePro"));
  m_openDocument = [](const QString& target) { return OpenDocument(target); };
  BuildWindow();
  if (prepare) prepare(*this);
  Form_Load();
  ConnectHandlers();
  ConnectVerifyHandlers();
}

TessarineProWindow::~TessarineProWindow() = default;

UserPort& TessarineProWindow::Port() { return *m_port; }

void TessarineProWindow::BuildWindow() {
  auto* layout = new QVBoxLayout(this);
  m_tabStrip = Named(new QTabBar(this), QStringLiteral("TabStripMain"));
  for (const char* caption : {"1 - Database", "2 - Connection", "3 - Tables", "4 - Metadata", "5 - Scan folders",
                              "Verify / Check"}) {
    m_tabStrip->addTab(QString::fromLatin1(caption));
  }
  m_tabStrip->setExpanding(false);
  layout->addWidget(m_tabStrip);

  m_database = new DatabaseFrame(this);
  m_connection = new ConnectionFrame(this);
  m_tables = new TablesFrame(this);
  m_metadata = new MetadataFrame(this);
  m_scan = new ScanFrame(this);
  m_verify = new VerifyFrame(this);
  QWidget* frames[] = {m_database, m_connection, m_tables, m_metadata, m_scan, m_verify};

  // All six frames occupy one grid cell: the same rectangle, whichever is shown.
  auto* stack = new QGridLayout;
  for (int i = 1; i <= kTabCount; ++i) {
    m_frames[i] = Named(frames[i - 1], "FrameMain", i);
    auto* frame = static_cast<QFrame*>(m_frames[i]);
    frame->setFrameShape(QFrame::StyledPanel);
    QSizePolicy policy = frame->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    frame->setSizePolicy(policy);
    stack->addWidget(frame, 0, 0);
  }
  layout->addLayout(stack, 1);

  auto* bottom = new QHBoxLayout;
  m_status = Named(new QLabel(this), QStringLiteral("lblStatus"));
  m_status->setWordWrap(true);
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2 + 4);
  m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_exit = Named(new QPushButton(QStringLiteral("Exit"), this), QStringLiteral("cmdOK"));
  bottom->addWidget(m_status, 1);
  bottom->addWidget(m_exit, 0, Qt::AlignVCenter);
  layout->addLayout(bottom);

  m_port = std::make_unique<WindowUserPort>(this, m_status, m_scan->sqlOutPut, m_scan->imgDest);
}

void TessarineProWindow::Form_Load() {
  // The version comes from the build, so the title and the about box always agree.
  for (int i = 2; i <= kTabCount; ++i) m_frames[i]->setVisible(false);
  m_frames[1]->setVisible(true);
  setWindowTitle(QString::fromUtf8(kWindowTitle.data(), static_cast<qsizetype>(kWindowTitle.size())));

  // Folder list columns are built by ScanFrame; the check lists by VerifyFrame.
  m_verify->txtCheckedFile->clear();

  m_settings = LoadSettings(m_settingsFile);
  ApplySettingsToControls();
  ShowCustomXmpSummary();
  QPalette blue = m_scan->lblSubFolder->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  m_scan->lblSubFolder->setPalette(blue);
  ApplyThumbnailSettings();

  LoadFolderList();
}

void TessarineProWindow::ApplySettingsToControls() {
  // Controls are set without running their handlers, so loading never rewrites the file.
  m_connection->txtDSN->setText(Text(m_settings.dsn));
  m_connection->txtLogin->setText(Text(m_settings.login));
  m_connection->txtPassword->setText(Text(m_settings.password));
  m_connection->optDSN->button(m_settings.fileDsn ? 1 : 0)->setChecked(true);
  m_database->optDatabase->button(static_cast<int>(m_settings.dbms))->setChecked(true);
  m_tables->txtTableFolders->setText(Text(m_settings.folders));
  m_tables->txtTableImages->setText(Text(m_settings.images));
  m_scan->SetFoldersHeader(Text(m_settings.folders));

  m_metadata->chkOnlyIPTC->setChecked(m_settings.onlyIptc);
  if (m_settings.onlyIptc) ApplyOnlyIptcRule(true);
  const bool iimWins = m_settings.onlyIptc || !m_settings.xmpOverIptc;
  m_metadata->optXMPOverIPTC->button(iimWins ? 1 : 0)->setChecked(true);
}

void TessarineProWindow::ApplyThumbnailSettings() {
  m_scan->optThumbnails->button(m_settings.reCreateThumbnails ? 0 : 1)->setChecked(true);
  m_scan->chkThumbnails->setChecked(m_settings.createThumbnails);
  ApplyThumbnailRule(m_settings.createThumbnails);
}

void TessarineProWindow::ConnectHandlers() {
  connect(m_tabStrip, &QTabBar::tabBarClicked, this, [this](int index) { TabStripMain_Click(index + 1); });
  LinkLabel* nextSteps[] = {m_database->lblNextStep, m_connection->lblNextStep, m_tables->lblNextStep,
                            m_metadata->lblNextStep, m_scan->lblNextStep};
  for (int k = 1; k <= 5; ++k) {
    connect(nextSteps[k - 1], &LinkLabel::clicked, this, [this, k] { lblNextStep_Click(k); });
  }

  connect(m_database->optDatabase, &QButtonGroup::idClicked, this, &TessarineProWindow::optDatabase_Click);
  connect(m_metadata->chkOnlyIPTC, &QCheckBox::clicked, this, &TessarineProWindow::chkOnlyIPTC_Click);
  connect(m_metadata->optXMPOverIPTC, &QButtonGroup::idClicked, this, &TessarineProWindow::optXMPOverIPTC_Click);
  connect(m_scan->chkThumbnails, &QCheckBox::clicked, this, &TessarineProWindow::chkThumbnails_Click);
  connect(m_scan->optThumbnails, &QButtonGroup::idClicked, this, &TessarineProWindow::optThumbnails_Click);
  connect(m_tables->txtTableFolders, &QLineEdit::textChanged, this, &TessarineProWindow::txtTableFolders_Change);
  connect(m_tables->txtTableImages, &QLineEdit::textChanged, this, &TessarineProWindow::txtTableImages_Change);

  connect(m_database->cmdHelp, &QPushButton::clicked, this, &TessarineProWindow::cmdHelp_Click);
  connect(m_database->cmdAbout, &QPushButton::clicked, this, &TessarineProWindow::cmdAbout_Click);
  for (LinkLabel* link : {m_connection->lblLinkMySQLODBC, m_connection->lblLinkPostgresODBC,
                          m_metadata->lblLinkIPTCIIM, m_metadata->lbLinkXMP, m_metadata->lbLinkIPTCCore}) {
    connect(link, &LinkLabel::clicked, this, [this, link] { OpenLinkFromToolTip(link); });
  }
  connect(m_connection->lblRunODBCAdministrator, &LinkLabel::clicked, this,
          &TessarineProWindow::lblRunODBCAdministrator_Click);
  connect(m_metadata->cmdXMPCustomized, &QPushButton::clicked, this, &TessarineProWindow::cmdXMPCustomized_Click);

  connect(m_connection->cmdTestingQuery, &QPushButton::clicked, this, &TessarineProWindow::cmdTestingQuery_Click);
  for (int i = 0; i < 2; ++i) {
    connect(m_tables->cmdCreateTableFolders[i], &QPushButton::clicked, this,
            [this, i] { cmdCreateTableFolders_Click(i); });
    connect(m_tables->cmdCreateTableImages[i], &QPushButton::clicked, this,
            [this, i] { cmdCreateTableImages_Click(i); });
  }
  connect(m_scan->cmdCancel, &QPushButton::clicked, this, [this] { m_stopRequested = true; });
  ConnectScanHandlers();
  connect(m_verify->cmdCancelCheck, &QPushButton::clicked, this, [this] { m_checkCancelRequested = true; });
  connect(m_exit, &QPushButton::clicked, this, &TessarineProWindow::cmdOK_Click);
}

void TessarineProWindow::TabStripMain_Click(int tab) {
  if (tab == m_currentTab || tab < 1 || tab > kTabCount) return;
  m_port->SetStatus("");
  m_currentTab = tab;
  m_settings.folders = m_tables->txtTableFolders->text().toStdString();
  m_settings.images = m_tables->txtTableImages->text().toStdString();

  const SqlDialect& dialect = SqlDialectFor(m_settings.dbms);
  const QString images = Text(m_settings.images);
  m_connection->txtQuery->setPlainText(Text(dialect.TestQuery()));
  m_verify->txtVerifyQuery->setPlainText(Text(dialect.FirstRowsQuery(m_settings.images)));
  m_verify->FrameVerify[2]->setTitle(
      QStringLiteral("Check already scanned files and corresponding lines in images table '%1'").arg(images));
  m_verify->lblVerifyQuery->setText(QStringLiteral("Query - get first 20 lines of images table '%1'").arg(images));

  for (int i = 1; i <= kTabCount; ++i) m_frames[i]->setVisible(i == tab);
  m_frames[tab]->update();

  if (tab == 5) {
    SaveTables(m_settings, m_settingsFile, m_tables->txtTableFolders->text().toStdString(),
               m_tables->txtTableImages->text().toStdString());
    LoadFolderList();
  }
}

void TessarineProWindow::lblNextStep_Click(int index) {
  m_tabStrip->setCurrentIndex(index);
  TabStripMain_Click(index + 1);
}

bool TessarineProWindow::Form_QueryUnload() {
  // While a scan runs its "Stop" button is shown: closing then only asks the scan to stop.
  if (!m_scan->cmdCancel->isHidden()) {
    m_stopRequested = true;
    return false;
  }
  // Likewise during a check, whose "Cancel" button is shown.
  if (!m_verify->cmdCancelCheck->isHidden()) {
    m_checkCancelRequested = true;
    return false;
  }
  return true;
}

void TessarineProWindow::Form_Unload() {
  SaveConnection(m_settings, m_settingsFile, m_connection->txtDSN->text().toStdString(),
                 m_connection->optDSN->checkedId() == 1, m_connection->txtLogin->text().toStdString(),
                 m_connection->txtPassword->text().toStdString());
  SaveTables(m_settings, m_settingsFile, m_tables->txtTableFolders->text().toStdString(),
             m_tables->txtTableImages->text().toStdString());
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

void TessarineProWindow::RunDialog(QDialog& dialog) {
  if (m_runDialog) {
    m_runDialog(dialog);
  } else {
    dialog.exec();
  }
}

}  // namespace tessarine
