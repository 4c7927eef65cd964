// tessarine folders list|add|remove: the folder list of tab 5 without a window, on the same
// folders-table operations as its buttons.

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

#include "app/Settings.h"
#include "app/SettingsLocation.h"
#include "cli/Commands.h"
#include "cli/ConsoleUserPort.h"
#include "cli/FolderArguments.h"
#include "db/CatalogueConnection.h"
#include "metadata/TextDecoding.h"
#include "scan/FolderList.h"

namespace tessarine {
namespace {

struct FoldersOptions {
  std::string settingsFile;
  std::string folder;
};

// The settings, a connection and the folder list as the folders table holds it now.
class FolderTable {
 public:
  explicit FolderTable(const std::string& settingsOption)
      : m_settingsFile(settingsOption.empty() ? DefaultSettingsFile() : std::filesystem::path(settingsOption)),
        m_settings(LoadSettings(m_settingsFile)),
        m_connection(m_port) {}

  // Loads the list; on failure says why on stderr and returns nothing.
  std::optional<std::vector<FolderEntry>> Load() {
    FolderListLoad load = LoadFolderEntries(m_connection, m_port, m_settings, m_settings.fileDsn);
    if (load.tableReadable) return std::move(load.entries);
    if (m_port.LastStatus() == "DSN not defined") {
      std::cerr << "DSN not defined (section Connection of " << m_settingsFile.string() << ")\n";
    } else if (!m_port.LastStatus().empty()) {
      std::cerr << m_port.LastStatus() << '\n';
    }
    return std::nullopt;
  }

  ConsoleUserPort& Port() { return m_port; }
  CatalogueConnection& Connection() { return m_connection; }
  const Settings& CurrentSettings() const { return m_settings; }

 private:
  std::filesystem::path m_settingsFile;
  Settings m_settings;
  ConsoleUserPort m_port;
  CatalogueConnection m_connection;
};

int RunList(const FoldersOptions& options) {
  FolderTable table(options.settingsFile);
  const auto entries = table.Load();
  if (!entries) return 1;
  for (const FolderEntry& entry : *entries) {
    std::cout << NameToText(entry.text) << '\t' << entry.status << '\t' << entry.files << '\t' << entry.lastScan
              << '\n';
  }
  return 0;
}

int RunAdd(const FoldersOptions& options) {
  const std::string folder = FolderArgumentText(options.folder);
  std::error_code ec;
  if (!IsForbiddenFolder(folder) && !std::filesystem::is_directory(folder, ec)) {
    std::cerr << "Not a folder: " << NameToText(options.folder) << '\n';
    return 2;
  }
  FolderTable table(options.settingsFile);
  const auto entries = table.Load();
  if (!entries) return 1;
  const AddFolderResult added = AddFolderToScan(table.Connection(), table.Port(), table.CurrentSettings(),
                                                table.CurrentSettings().fileDsn, folder, *entries);
  switch (added.outcome) {
    case AddFolderOutcome::Inserted:
      std::cout << "Added " << NameToText(folder) << '\n';
      return 0;
    case AddFolderOutcome::SubfolderToUpdate:
      // The window would list it for one scan; the table keeps only the folder that holds it.
      std::cerr << "Subfolder of a listed folder, nothing added: scan it with tessarine scan "
                << NameToText(folder) << '\n';
      return 1;
    case AddFolderOutcome::Forbidden:
    case AddFolderOutcome::AlreadyListed:
    case AddFolderOutcome::Failed:
      break;
  }
  return 1;
}

int RunRemove(const FoldersOptions& options) {
  // The folder may be gone from the disk: it is looked up by its text only.
  const std::string folder = FolderArgumentText(options.folder);
  FolderTable table(options.settingsFile);
  const auto entries = table.Load();
  if (!entries) return 1;
  const auto entry = std::ranges::find(*entries, folder, &FolderEntry::text);
  if (entry == entries->end()) {
    std::cerr << "Not in table '" << table.CurrentSettings().folders << "': " << NameToText(folder) << '\n';
    return 1;
  }
  const RemoveFolderOutcome outcome = RemoveFolderToScan(table.Connection(), table.Port(), table.CurrentSettings(),
                                                         table.CurrentSettings().fileDsn, &*entry, false);
  if (outcome != RemoveFolderOutcome::Removed) return 1;
  std::cout << "Removed " << NameToText(folder) << " and its rows\n";
  return 0;
}

}  // namespace

void RegisterFoldersCommands(CLI::App& app, int& exitStatus) {
  CLI::App* folders = app.add_subcommand("folders", "List, add and remove the folders of the folders table");
  folders->require_subcommand(1);
  auto options = std::make_shared<FoldersOptions>();

  CLI::App* list = folders->add_subcommand("list", "Print folder, status, files and last scan, tab-separated");
  list->add_option("--settings", options->settingsFile, "Settings file (default: the program's own)");
  list->callback([options, &exitStatus] { exitStatus = RunList(*options); });

  CLI::App* add = folders->add_subcommand("add", "Add a folder to scan");
  add->add_option("--settings", options->settingsFile, "Settings file (default: the program's own)");
  add->add_option("folder", options->folder, "The folder")->required();
  add->callback([options, &exitStatus] { exitStatus = RunAdd(*options); });

  CLI::App* remove = folders->add_subcommand("remove", "Remove a folder and the rows of its images");
  remove->add_option("--settings", options->settingsFile, "Settings file (default: the program's own)");
  remove->add_option("folder", options->folder, "The folder, as listed")->required();
  remove->callback([options, &exitStatus] { exitStatus = RunRemove(*options); });
}

}  // namespace tessarine
