#pragma once
// The folders table behind the folder list: load, add, remove. The window (or the command
// line) owns the list itself; these operations return what it shows.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

class CatalogueConnection;

struct FolderListLoad {
  std::vector<FolderEntry> entries;  // in the order the server returned them, all unticked
  Status status;                     // the failure (already reported) that left the list empty
  bool tableReadable = false;        // add and remove are enabled only then

  // False when the connection could not be opened: nothing was read.
  bool Connected() const { return status || status.Is(ErrorKind::Database); }
};

// Reads the folders table. A select that fails shows "Table '<folders>' Error: <n>: <text>" in the
// status line and beeps, and so does a folders-table name that is not valid ("Invalid table name
// '<folders>': " and the rule, before connecting); a connection that cannot be opened is reported as
// OpenCatalogue does.
FolderListLoad LoadFolderEntries(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                 bool fileDsnSelected);

enum class AddFolderOutcome {
  Forbidden,          // "/", /proc, /sys, /dev and what lies below them
  AlreadyListed,      // the folder or one of its subfolders is listed
  SubfolderToUpdate,  // a subfolder of a listed folder: an entry for one scan, nothing written
  Inserted,
};

struct AddFolderResult {
  AddFolderOutcome outcome = AddFolderOutcome::Inserted;
  FolderEntry entry;  // the ticked subfolder-to-update entry (tag set), for SubfolderToUpdate
  Status status;      // no connection, or the insert was refused (reported); the outcome is then moot
};

// Adds a chosen folder (an absolute path's bytes, with or without a trailing "/") as the
// "Add folder to scan" button does, comparing it with the listed entries.
AddFolderResult AddFolderToScan(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                bool fileDsnSelected, const std::string& chosenFolder,
                                const std::vector<FolderEntry>& entries);

enum class RemoveFolderOutcome { NothingSelected, Declined, Removed, ListOnly };

struct RemoveFolderResult {
  RemoveFolderOutcome outcome = RemoveFolderOutcome::Removed;
  long long rowsCounted = 0;     // the image rows the question said
  long long rowsRemoved = 0;     // the image rows deleted
  int thumbnailFolders = 0;      // "_thumbs_" folders moved to the trash
  int thumbnailFoldersKept = 0;  // those the trash refused
  std::string summary;           // what the status line said once the folder was removed
};

// Removes the selected entry as the "Remove folder" button does: counts the image rows of the
// folder and its subfolders, asks "Remove <folder> from the list and its <n> rows from the
// catalogue?" (unless told not to) with a box for moving its thumbnails to the trash too (starting
// as `thumbnails` says), then deletes its folders-table row and those image rows in one
// transaction. A count that changed meanwhile (another program wrote) is said afterwards. With the
// box ticked, the "_thumbs_" folders of the tree (never a link of that name, nor what it leads to)
// go to the trash once the rows are gone.
Expected<RemoveFolderResult> RemoveFolderToScan(CatalogueConnection& connection, UserPort& port,
                                                const Settings& settings, bool fileDsnSelected,
                                                const FolderEntry* selected, bool ask = true, bool thumbnails = false);

// The root and the kernel's pseudo file systems (/proc, /sys, /dev and below), which the folder
// list refuses: nothing to catalogue there, and /proc never ends.
bool IsForbiddenFolder(std::string_view folderText);

// "OK" when the folder exists on disk, "Unknown" otherwise.
std::string FolderStatus(const FolderKey& folder);

}  // namespace tessarine
