// tessarine folders list|add|remove: the folder list of tab 5 without a window, on the same
// folders-table operations as its buttons.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <optional>

#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/FolderArguments.h"
#include "cli/JsonLines.h"
#include "core/TextDecoding.h"
#include "workflows/folders/FolderList.h"

namespace tessarine {
namespace {

struct FoldersOptions {
  std::string settingsFile;
  std::string folder;
  bool json = false;
  bool thumbnails = false;
};

// The folders table's count as a number; an empty one (never scanned) as null; anything else as
// the text stored, which is never lost.
nlohmann::ordered_json CountValue(const std::string& text) {
  if (text.empty()) return nullptr;
  if (text.size() <= 18 && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
    return std::stoll(text);
  }
  return text;
}

int RunList(const FoldersOptions& options) {
  CommandContext table(options.settingsFile);
  const auto entries = table.LoadFolders();
  if (!entries) return kFailedStatus;
  for (const FolderEntry& entry : *entries) {
    if (options.json) {
      WriteJsonLine(std::cout, {{"folder", entry.folder.Text()},
                                {"status", entry.status},
                                {"files", CountValue(entry.files)},
                                {"lastScan", entry.lastScan}});
      continue;
    }
    std::cout << entry.folder.Text() << '\t' << entry.status << '\t' << entry.files << '\t' << entry.lastScan
              << '\n';
  }
  return 0;
}

int RunAdd(const FoldersOptions& options) {
  const FolderKey folder = FolderArgument(options.folder);
  std::error_code ec;
  if (!IsForbiddenFolder(folder.Text()) && !std::filesystem::is_directory(folder.Bytes(), ec)) {
    std::cerr << "Not a folder: " << NameToText(options.folder) << '\n';
    return kUsageStatus;
  }
  CommandContext table(options.settingsFile);
  const auto entries = table.LoadFolders();
  if (!entries) return kFailedStatus;
  const AddFolderResult added = AddFolderToScan(table.Connection(), table.Port(), table.CurrentSettings(),
                                                table.CurrentSettings().fileDsn, folder.Bytes(), *entries);
  if (!added.status) return table.ExplainFailure(added.status);
  switch (added.outcome) {
    case AddFolderOutcome::Inserted:
      std::cout << "Added " << folder.Text() << '\n';
      return 0;
    case AddFolderOutcome::SubfolderToUpdate:
      // The window would list it for one scan; the table keeps only the folder that holds it.
      std::cerr << "Subfolder of a listed folder, nothing added: scan it with tessarine scan "
                << folder.Text() << '\n';
      return kFailedStatus;
    case AddFolderOutcome::Forbidden:
    case AddFolderOutcome::AlreadyListed:
      break;
  }
  return kFailedStatus;
}

int RunRemove(const FoldersOptions& options) {
  // The folder may be gone from the disk: it is looked up by its text only.
  const FolderKey folder = FolderArgument(options.folder);
  CommandContext table(options.settingsFile);
  const auto entries = table.LoadFolders();
  if (!entries) return kFailedStatus;
  const auto entry = std::ranges::find(*entries, folder, &FolderEntry::folder);
  if (entry == entries->end()) {
    std::cerr << "Not in table '" << table.CurrentSettings().folders << "': " << folder.Text() << '\n';
    return kFailedStatus;
  }
  const Expected<RemoveFolderResult> removed =
      RemoveFolderToScan(table.Connection(), table.Port(), table.CurrentSettings(), table.CurrentSettings().fileDsn,
                         &*entry, false, options.thumbnails);
  if (!removed) return table.ExplainFailure(removed.GetStatus());
  if (removed->outcome != RemoveFolderOutcome::Removed) return kFailedStatus;
  std::cout << "Removed " << folder.Text() << " and its " << removed->rowsRemoved << " rows\n";
  if (options.thumbnails) {
    std::cout << "Thumbnail folders moved to the trash: " << removed->thumbnailFolders << '\n';
    if (removed->thumbnailFoldersKept > 0) return kFailedStatus;
  }
  return 0;
}

}  // namespace

void RegisterFoldersCommands(CLI::App& app, int& exitStatus) {
  CLI::App* folders = app.add_subcommand("folders", "List, add and remove the folders of the folders table");
  folders->require_subcommand(1);
  auto options = std::make_shared<FoldersOptions>();

  CLI::App* list = folders->add_subcommand("list", "Print folder, status, files and last scan, tab-separated");
  list->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  list->add_flag("--json", options->json,
                 "One JSON object a line per folder: folder, status, files (a number, null before the first "
                 "scan) and lastScan");
  list->callback([options, &exitStatus] { exitStatus = RunList(*options); });

  CLI::App* add = folders->add_subcommand("add", "Add a folder to scan");
  add->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  add->add_option("folder", options->folder, "The folder")->required();
  add->callback([options, &exitStatus] { exitStatus = RunAdd(*options); });

  CLI::App* remove = folders->add_subcommand("remove", "Remove a folder and the rows of its images");
  remove->add_option("-s,--settings", options->settingsFile, "Settings file (default: the program's own)");
  remove->add_option("folder", options->folder, "The folder, as listed")->required();
  remove->add_flag("--thumbnails", options->thumbnails,
                   "Also move the folder's '_thumbs_' folders (and those of its subfolders) to the trash");
  remove->callback([options, &exitStatus] { exitStatus = RunRemove(*options); });
}

}  // namespace tessarine
