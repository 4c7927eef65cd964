// Help, about box, web links, the data-source editor and the custom XMP editor.

#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>

#include "core/WindowTitle.h"
#include "gui/AboutDialog.h"
#include "gui/DataSourceEditor.h"
#include "gui/MetadataFrame.h"
#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

namespace tessarine {

void TessarineProWindow::cmdHelp_Click() {
  const std::filesystem::path path = m_programFolder / "Help" / "TessarinePro.pdf";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    m_port->ShowMessage("Missing help file:\n" + path.string(), MessageIcon::Exclamation, kWindowTitle,
                        MessageButtons::Ok);
    return;
  }
  m_openDocument(QString::fromStdString(path.string()));
}

void TessarineProWindow::cmdAbout_Click() {
  AboutDialog about(QString::fromStdString((m_programFolder / "license-fi.txt").string()), m_openDocument, this);
  RunDialog(about);
}

void TessarineProWindow::OpenLinkFromToolTip(QWidget* link) {
  // The tooltip shows the user where the link leads, so it is the one source of the address.
  m_openDocument(link->toolTip());
}

void TessarineProWindow::lblRunODBCAdministrator_Click() {
  const QString searchPath = QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH"));
  const std::filesystem::path editor = FindDataSourceEditor(searchPath.toStdString());
  if (!editor.empty() && QProcess::startDetached(QString::fromStdString(editor.string()), {})) return;

  // No graphical editor: the user's data-source file in the default text editor, created when missing.
  const std::filesystem::path ini = UserOdbcIniFile();
  std::error_code ec;
  if (!std::filesystem::exists(ini, ec)) std::ofstream(ini).flush();
  m_openDocument(QString::fromStdString(ini.string()));
}

void TessarineProWindow::cmdXMPCustomized_Click() {
  XmpCustomizedDialog editor(m_settings.custom, this);
  editor.SetDialogRunner([this](QDialog& dialog) { RunDialog(dialog); });
  RunDialog(editor);
  if (editor.result() != QDialog::Accepted) return;
  SaveCustomXmp(m_settings, m_settingsFile, editor.Definition());
  ShowCustomXmpSummary();
}

void TessarineProWindow::ShowCustomXmpSummary() {
  m_metadata->txtXMPCustomized->setPlainText(QString::fromStdString(CustomXmpSummary(m_settings.custom)));
}

}  // namespace tessarine
