#pragma once
// What every database command starts from: its settings file and settings, the console port and a
// catalogue connection; and how a failed operation is explained and turned into the exit status.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "cli/ConsoleUserPort.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

// The exit status of a command whose operation failed (an error of any kind).
inline constexpr int kFailedStatus = 1;
// The exit status of a command given arguments it cannot use.
inline constexpr int kUsageStatus = 2;
// The exit status of a scan or check that did not start because another one holds the catalogue.
inline constexpr int kBusyStatus = 3;

// The settings file named by --settings, else the program's own.
std::filesystem::path SettingsFileOf(const std::string& settingsOption);

class CommandContext {
 public:
  explicit CommandContext(const std::string& settingsOption, ConsoleOptions console = {});
  CommandContext(const CommandContext&) = delete;
  CommandContext& operator=(const CommandContext&) = delete;

  // The folder list as the folders table holds it now; on failure says why and returns nothing.
  std::optional<std::vector<FolderEntry>> LoadFolders();

  // Adds to what the operation reported what a console user needs: where to name the data source.
  // Returns the exit status of the failure.
  int ExplainFailure(const Status& status) const;

  const std::filesystem::path& SettingsFile() const { return m_settingsFile; }
  Settings& CurrentSettings() { return m_settings; }
  ConsoleUserPort& Port() { return m_port; }
  CatalogueConnection& Connection() { return m_connection; }

 private:
  std::filesystem::path m_settingsFile;
  Settings m_settings;
  ConsoleUserPort m_port;
  CatalogueConnection m_connection;
};

}  // namespace tessarine
