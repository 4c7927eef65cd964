#include "workflows/folders/FolderList.h"

#include <system_error>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/TableName.h"
#include "core/TextDecoding.h"
#include "core/WindowTitle.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/folders/DirectoryListing.h"
#include "workflows/scan/StoredFolders.h"
#include "workflows/verify/Trash.h"

namespace tessarine {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Closes the connection at the end of an operation, whatever path it takes.
class ConnectionScope {
 public:
  explicit ConnectionScope(CatalogueConnection& connection) : m_connection(connection) {}
  ~ConnectionScope() { m_connection.CloseConnection(); }
  ConnectionScope(const ConnectionScope&) = delete;
  ConnectionScope& operator=(const ConnectionScope&) = delete;

 private:
  CatalogueConnection& m_connection;
};

std::string RowsText(long long rows) { return std::to_string(rows) + (rows == 1 ? " row" : " rows"); }

// The "_thumbs_" folders of the tree, found as the scan walks it: links, hidden folders and other
// "_thumbs_..." folders are not entered, and a link named "_thumbs_" is no thumbnail folder.
void FindThumbnailFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& found) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (!it->is_directory(typeError) || it->is_symlink(typeError)) continue;
    if (name == "_thumbs_") {
      found.push_back(it->path());
    } else if (!IsSkippedFolder(name)) {
      FindThumbnailFolders(it->path(), found);
    }
  }
}

int TrashThumbnailFolders(const FolderKey& top, UserPort& port, int& kept) {
  std::vector<std::filesystem::path> found;
  FindThumbnailFolders(std::filesystem::path(top.Bytes()), found);
  int moved = 0;
  for (const std::filesystem::path& folder : found) {
    std::string reason;
    if (MoveToTrash(folder.string(), reason)) {
      ++moved;
      continue;
    }
    port.AddLogLine("   " + NameToText(folder.string()) + ": not moved to the trash: " + reason);
    ++kept;
  }
  if (kept > 0) {
    port.ShowMessage(std::to_string(kept) + " thumbnail folders could not be moved to the trash (see the log).",
                     MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  }
  return moved;
}

}  // namespace

bool IsForbiddenFolder(std::string_view folderText) {
  if (folderText == "/") return true;
  for (std::string_view system : {"/proc/", "/sys/", "/dev/"}) {
    if (StartsWith(folderText, system)) return true;
  }
  return false;
}

std::string FolderStatus(const FolderKey& folder) {
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::path(folder.Bytes()), ec) ? "OK" : "Unknown";
}

FolderListLoad LoadFolderEntries(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                 bool fileDsnSelected) {
  BusyPointer busy(port);
  FolderListLoad load;
  // A folders-table name that is not valid is told in the status line, on one line, as a table that
  // cannot be read is; nothing is connected.
  const std::optional<TableName> folders = TableName::Of(settings.folders);
  if (!folders) {
    const std::string text = "Invalid table name '" + settings.folders + "': " + std::string(kTableNameRule);
    port.SetStatus(text);
    port.Beep();
    load.status = Error(ErrorKind::TableName, text);
    return load;
  }
  load.status = OpenCatalogue(connection, port, settings, fileDsnSelected);
  if (!load.status) return load;
  ConnectionScope scope(connection);
  try {
    std::unique_ptr<ResultSet> rows = connection.ExecuteStatement(SelectFolderList(*folders));
    load.tableReadable = true;
    for (; rows && !rows->IsEof(); rows->MoveNext()) {
      auto field = [&](std::size_t i) {
        return i < rows->FieldCount() ? rows->FieldValue(i).value_or(std::string()) : std::string();
      };
      FolderEntry entry;
      entry.folder = FolderKey::FromStoredText(field(0));
      entry.status = FolderStatus(entry.folder);
      entry.files = field(1);
      entry.lastScan = field(2);
      load.entries.push_back(std::move(entry));
    }
  } catch (const DatabaseError& error) {
    load.entries.clear();
    load.status = error;
    if (!load.tableReadable) {
      port.SetStatus("Table '" + settings.folders + "' Error: " + std::to_string(error.NativeError()) + ": " +
                     error.Description());
      port.Beep();
    }
  }
  return load;
}

AddFolderResult AddFolderToScan(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                bool fileDsnSelected, const std::string& chosenFolder,
                                const std::vector<FolderEntry>& entries) {
  AddFolderResult result;
  const FolderKey folder = FolderKey::FromPath(chosenFolder);
  if (IsForbiddenFolder(folder.Text())) {
    port.ShowMessage("Forbidden Folder\r\n" + NameToText(chosenFolder), MessageIcon::Critical, kWindowTitle,
                     MessageButtons::Ok);
    result.outcome = AddFolderOutcome::Forbidden;
    return result;
  }
  // Paths are compared as prefixes: a folder is related to a listed one only when one lies inside
  // the other (/backup/photos/ is no subfolder of /photos/).
  std::size_t container = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (folder.Contains(entries[i].folder)) {
      port.ShowMessage("Subfolder already in list\r\n" + entries[i].folder.Text(), MessageIcon::Critical,
                       kWindowTitle, MessageButtons::Ok);
      result.outcome = AddFolderOutcome::AlreadyListed;
      return result;
    }
    if (entries[i].folder.Contains(folder)) {
      container = i + 1;
      break;
    }
  }
  if (container != 0) {
    result.outcome = AddFolderOutcome::SubfolderToUpdate;
    result.entry.folder = folder;
    result.entry.status = FolderStatus(folder);
    result.entry.checked = true;
    result.entry.tag = std::to_string(container);
    return result;
  }

  const Expected<TableName> folders = CheckedTableName(port, settings.folders);
  if (!folders) {
    result.status = folders.GetStatus();
    return result;
  }
  BusyPointer busy(port);
  result.status = OpenCatalogue(connection, port, settings, fileDsnSelected);
  if (!result.status) return result;
  ConnectionScope scope(connection);
  result.status = SendOrReport(connection, port, InsertFolderRow(*folders, folder));
  result.outcome = AddFolderOutcome::Inserted;
  return result;
}

Expected<RemoveFolderResult> RemoveFolderToScan(CatalogueConnection& connection, UserPort& port,
                                                const Settings& settings, bool fileDsnSelected,
                                                const FolderEntry* selected, bool ask, bool thumbnails) {
  RemoveFolderResult result;
  if (selected == nullptr) {
    port.ShowMessage("Select Folder to remove", MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
    result.outcome = RemoveFolderOutcome::NothingSelected;
    return result;
  }
  const std::string shown = selected->folder.Text();
  if (selected->IsSubfolderToUpdate()) {
    // Listed for one scan only: nothing in the tables.
    const bool yes = !ask || port.ShowMessage("Remove " + shown + " from the list?", MessageIcon::Question,
                                              kWindowTitle, MessageButtons::YesNo) == MessageAnswer::Yes;
    result.outcome = yes ? RemoveFolderOutcome::ListOnly : RemoveFolderOutcome::Declined;
    return result;
  }
  // Both tables' names are checked before the question: a refused name asks nothing.
  Expected<TableName> folders = CheckedTableName(port, settings.folders);
  if (!folders) return folders.GetError();
  Expected<TableName> images = CheckedTableName(port, settings.images);
  if (!images) return images.GetError();

  BusyPointer busy(port);
  if (ask) {
    if (Status opened = OpenCatalogue(connection, port, settings, fileDsnSelected); !opened) return opened.GetError();
    try {
      ConnectionScope scope(connection);
      StoredFolders stored(connection, *images, selected->folder);
      result.rowsCounted = stored.CountTreeRows(SqlDialectFor(settings.dbms));
    } catch (const DatabaseError& error) {
      ReportDatabaseError(port, error);
      return error;
    }
    const std::string question = "Remove " + shown + " from the list and its " + RowsText(result.rowsCounted) +
                                 " from the catalogue?";
    if (port.AskWithOption(question, "Also move its thumbnail folders (_thumbs_) to the trash", thumbnails,
                           kWindowTitle) != MessageAnswer::Yes) {
      result.outcome = RemoveFolderOutcome::Declined;
      return result;
    }
  }

  // Rows are deleted: not while a scan or check works on the catalogue, not on a server of another kind.
  if (Status opened = OpenCatalogueToChange(connection, port, settings, fileDsnSelected, {selected->folder});
      !opened) {
    return opened.GetError();
  }
  ConnectionScope scope(connection);
  const SqlDialect& dialect = SqlDialectFor(settings.dbms);
  try {
    if (dialect.transactionStart) connection.Send(std::string(*dialect.transactionStart));
    connection.Send(DeleteFolderRow(*folders, selected->folder));
    // The server's LIKE may ignore letter case: only the rows of this very folder's tree go.
    result.rowsRemoved = StoredFolders(connection, *images, selected->folder).DeleteTree();
    if (dialect.transactionEnd) connection.Send(std::string(*dialect.transactionEnd));
  } catch (const DatabaseError& error) {
    SendIgnoringErrors(connection, SqlStatement("rollback;"));
    ReportDatabaseError(port, error);
    return error;
  }
  if (ask && result.rowsRemoved != result.rowsCounted) {
    port.ShowMessage(shown + ": " + RowsText(result.rowsRemoved) + " removed from the catalogue, not " +
                         std::to_string(result.rowsCounted) + ": another program changed them meanwhile.",
                     MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
  }
  if (thumbnails) result.thumbnailFolders = TrashThumbnailFolders(selected->folder, port, result.thumbnailFoldersKept);
  result.summary = shown + " removed with its " + RowsText(result.rowsRemoved);
  if (thumbnails) {
    result.summary += "; " + std::to_string(result.thumbnailFolders) + " thumbnail folders moved to the trash";
  }
  port.SetStatus(result.summary);
  return result;
}

}  // namespace tessarine
