#include "gui/ConnectionTab.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <sys/stat.h>

#include "catalogue/SqlDialect.h"
#include "core/NoFollowFile.h"
#include "gui/DataSourceEditor.h"
#include "gui/LinkLabel.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "workflows/connection/TestingQuery.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

ConnectionTab::ConnectionTab(WindowContext& context, QWidget* parent) : ConnectionFrame(parent), m_context(context) {}

void ConnectionTab::ShowSettings() {
  const Settings& settings = m_context.CurrentSettings();
  txtDSN->setText(Text(settings.dsn));
  txtLogin->setText(Text(settings.login));
  txtPassword->setText(Text(settings.password));
  optDSN->button(settings.fileDsn ? 1 : 0)->setChecked(true);
}

void ConnectionTab::ConnectHandlers() {
  // The tooltip shows the user where the link leads, so it is the one source of the address.
  for (LinkLabel* link : {lblLinkMySQLODBC, lblLinkPostgresODBC}) {
    connect(link, &LinkLabel::clicked, this, [this, link] { m_context.OpenDocument(link->toolTip()); });
  }
  connect(lblRunODBCAdministrator, &LinkLabel::clicked, this, &ConnectionTab::lblRunODBCAdministrator_Click);
  connect(cmdTestingQuery, &QPushButton::clicked, this, &ConnectionTab::cmdTestingQuery_Click);
}

bool ConnectionTab::FileDsnSelected() const { return optDSN->checkedId() == 1; }

void ConnectionTab::SaveConnection() {
  tessarine::SaveConnection(m_context.CurrentSettings(), m_context.SettingsFile(), Text(txtDSN), FileDsnSelected(),
                            Text(txtLogin), Text(txtPassword));
}

void ConnectionTab::ShowTestQuery(const SqlDialect& dialect) { txtQuery->setPlainText(Text(dialect.TestQuery())); }

void ConnectionTab::ClearResult() { txtResult->clear(); }

void ConnectionTab::cmdTestingQuery_Click() {
  txtResult->clear();
  const ConnectionBoxes boxes{Text(txtDSN), FileDsnSelected(), Text(txtLogin), Text(txtPassword)};
  // The query keeps the connection it tested: the live watch starts again on it.
  const WatchPause pause(m_context);
  const Expected<std::string> result =
      TestingQuery(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(), m_context.SettingsFile(),
                   boxes, txtQuery->toPlainText().toStdString());
  if (result) txtResult->setText(Text(*result));
}

void ConnectionTab::lblRunODBCAdministrator_Click() {
  const QString searchPath = QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH"));
  const std::filesystem::path editor = FindDataSourceEditor(searchPath.toStdString());
  if (!editor.empty() && QProcess::startDetached(QString::fromStdString(editor.string()), {})) return;

  // No graphical editor: the user's data-source file in the default text editor, created when missing
  // (its owner's only: it may come to hold passwords); whatever is there already, a link included, stays.
  const std::filesystem::path ini = UserOdbcIniFile();
  if (const FileDescriptor folder = OpenFolder(ini.parent_path(), FolderLinks::Follow)) {
    CreateNewFile(folder.Get(), ini.filename().string(), S_IRUSR | S_IWUSR);
  }
  m_context.OpenDocument(QString::fromStdString(ini.string()));
}

}  // namespace tessarine
