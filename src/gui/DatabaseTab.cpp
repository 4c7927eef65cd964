#include "gui/DatabaseTab.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPushButton>

#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "gui/AboutDialog.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "workflows/connection/EmbeddedCatalogue.h"

namespace tessarine {

DatabaseTab::DatabaseTab(WindowContext& context, QWidget* parent) : DatabaseFrame(parent), m_context(context) {}

void DatabaseTab::ShowSettings() {
  optDatabase->button(static_cast<int>(m_context.CurrentSettings().dbms))->setChecked(true);
}

void DatabaseTab::ConnectHandlers() {
  connect(optDatabase, &QButtonGroup::idClicked, this, &DatabaseTab::optDatabase_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &DatabaseTab::cmdHelp_Click);
  connect(cmdAbout, &QPushButton::clicked, this, &DatabaseTab::cmdAbout_Click);
}

void DatabaseTab::optDatabase_Click(int index) {
  Settings& settings = m_context.CurrentSettings();
  StoreDbms(settings, m_context.SettingsFile(), static_cast<DbmsKind>(index));
  if (static_cast<DbmsKind>(index) != DbmsKind::Sqlite) return;

  const std::filesystem::path folder = UserDataFolder();
  if (settings.fileDsn && settings.dsn == EmbeddedCatalogueIn(folder).dataSource.string()) return;
  const std::string question = "Use the embedded catalogue in " + folder.string() +
                               "?\r\nIt is created there when missing; nothing there is overwritten. "
                               "The connection (tab 2) then names it.";
  UserPort& port = m_context.Port();
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  const Expected<std::string> prepared =
      PrepareEmbeddedCatalogue(m_context.Connection(), port, settings, m_context.SettingsFile(), folder);
  if (!prepared) return;
  port.ShowMessage(*prepared, MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
  emit EmbeddedCatalogueSelected();
}

void DatabaseTab::cmdHelp_Click() {
  const std::filesystem::path path = ProgramDataFile(m_context.ProgramFolder(), "Help/TessarinePro.pdf");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    m_context.Port().ShowMessage("Missing help file:\n" + path.string(), MessageIcon::Exclamation, kWindowTitle,
                                 MessageButtons::Ok);
    return;
  }
  m_context.OpenDocument(QString::fromStdString(path.string()));
}

void DatabaseTab::cmdAbout_Click() {
  AboutDialog about(QString::fromStdString(ProgramDataFile(m_context.ProgramFolder(), "license-fi.txt").string()),
                    [this](const QString& target) { return m_context.OpenDocument(target); }, window());
  m_context.RunDialog(about);
}

}  // namespace tessarine
