#include "cli/CommandContext.h"

#include <iostream>

#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "workflows/connection/EmbeddedCatalogue.h"
#include "workflows/folders/FolderList.h"

namespace tessarine {

std::filesystem::path SettingsFileOf(const std::string& settingsOption) {
  return settingsOption.empty() ? DefaultSettingsFile() : std::filesystem::path(settingsOption);
}

CommandContext::CommandContext(const std::string& settingsOption, ConsoleOptions console)
    : m_settingsFile(SettingsFileOf(settingsOption)),
      m_settings(LoadSettings(m_settingsFile)),
      m_port(std::move(console)) {
  for (const std::string& warning : InvalidTableNameWarnings(m_settings, m_settingsFile)) {
    m_port.ShowMessage(warning, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  }
  // A failure was said; the command then meets the missing data source and says that too.
  const Expected<std::string> firstStart = PrepareFirstStart(m_connection, m_port, m_settings, m_settingsFile);
  if (firstStart && !firstStart->empty()) {
    m_port.ShowMessage(*firstStart, MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
  }
}

std::optional<std::vector<FolderEntry>> CommandContext::LoadFolders() {
  FolderListLoad load = LoadFolderEntries(m_connection, m_port, m_settings, m_settings.fileDsn);
  if (load.status) return std::move(load.entries);
  ExplainFailure(load.status);
  // A folders table that cannot be read, or whose name is refused, is told in the status line only.
  if ((load.status.Is(ErrorKind::Database) || load.status.Is(ErrorKind::TableName)) && !m_port.LastStatus().empty()) {
    std::cerr << m_port.LastStatus() << '\n';
  }
  return std::nullopt;
}

int CommandContext::ExplainFailure(const Status& status) const {
  if (status.Is(ErrorKind::NoDataSource)) {
    std::cerr << "DSN not defined (section Connection of " << m_settingsFile.string() << ")\n";
  }
  if (status.Is(ErrorKind::SettingsFile)) std::cerr << status.GetError().what() << '\n';
  if (status.Is(ErrorKind::Busy)) return kBusyStatus;
  return status ? 0 : kFailedStatus;
}

}  // namespace tessarine
