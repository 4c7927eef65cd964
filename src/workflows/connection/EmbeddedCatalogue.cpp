#include "workflows/connection/EmbeddedCatalogue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/DataSourceDriver.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/NoFollowFile.h"
#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {
namespace {

constexpr std::string_view kServerHint = " \u2014 to use a server database, set it up on tabs 1\u20133";

Error Refuse(UserPort& port, ErrorKind kind, const std::string& text) {
  port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  port.Beep();
  return Error(kind, text);
}

// What is at a name of the folder, its last part never followed.
enum class Found { Nothing, File, Link, Other };

Found FoundAt(int folderFd, const std::string& name) {
  struct stat info {};
  if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return Found::Nothing;
  if (S_ISLNK(info.st_mode)) return Found::Link;
  return S_ISREG(info.st_mode) ? Found::File : Found::Other;
}

// Makes the file with the given content where nothing is; keeps a file that is there. Returns the
// reason it cannot, or nothing; `created` tells whether this call made it.
std::optional<std::string> EnsureFile(int folderFd, const std::filesystem::path& path, std::string_view content,
                                      bool& created) {
  const std::string name = path.filename().string();
  created = false;
  Found found = FoundAt(folderFd, name);
  if (found == Found::Nothing) {
    FileDescriptor file = CreateNewFile(folderFd, name, ContentModeIn(folderFd));
    if (file) {
      if (!WriteAll(file.Get(), content) || ::fsync(file.Get()) != 0) {
        const int error = errno;
        ::unlinkat(folderFd, name.c_str(), 0);  // ours, just made: nothing of the user's is lost
        return path.string() + ": " + std::strerror(error);
      }
      created = true;
      return std::nullopt;
    }
    if (file.Error() != EEXIST) return path.string() + ": " + std::strerror(file.Error());
    found = FoundAt(folderFd, name);  // another start made it meanwhile
  }
  if (found == Found::File) return std::nullopt;
  if (found == Found::Link) return path.string() + " is a link: no catalogue is prepared there";
  return path.string() + " is not a file: no catalogue is prepared there";
}

// The two tables, in a database that holds none yet; within one write transaction, so that two
// programs starting together create them once.
Status CreateTablesOfEmptyDatabase(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                   const EmbeddedCatalogueFiles& files) {
  const std::optional<TableName> folders = TableName::Of(settings.folders);
  const std::optional<TableName> images = TableName::Of(settings.images);
  if (!folders || !images) {
    return Refuse(port, ErrorKind::TableName,
                  "Invalid table name '" + (folders ? settings.images : settings.folders) + "'\r\n" +
                      std::string(kTableNameRule));
  }
  Status status = OpenCatalogue(connection, port, DataSource{files.dataSource.string(), true, "", ""});
  if (!status) return status;
  const SqlDialect& dialect = SqlDialectFor(DbmsKind::Sqlite);
  try {
    connection.Send(EmbeddedWriteTransactionStatement());
    if (connection.FirstValue(EmbeddedTableCountQuery()).value_or("0") == "0") {
      connection.Send(FoldersTableStatement(*folders));
      connection.Send(ImagesTableStatement(*images, dialect));
      connection.Send(ImagesIndexStatement(*images));
      connection.Send(WordsTableStatement(*images, dialect));
      for (const CompanionTable& companion : CompanionTablesOf(*images, dialect)) {
        for (const std::string& statement : companion.statements) connection.Send(statement);
      }
    }
    connection.Send(std::string(dialect.transactionEnd.value_or("commit;")));
  } catch (const DatabaseError& error) {
    connection.CloseConnection();  // what was not committed is rolled back
    ReportDatabaseError(port, error);
    return error;
  }
  connection.CloseConnection();
  return {};
}

}  // namespace

EmbeddedCatalogueFiles EmbeddedCatalogueIn(const std::filesystem::path& folder) {
  return {folder / "catalogue.sqlite", folder / "catalogue.dsn"};
}

bool IsFirstStart(const Settings& settings) { return !settings.readError && !settings.dsnStored; }

Expected<std::string> PrepareEmbeddedCatalogue(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                               const std::filesystem::path& settingsFile,
                                               const std::filesystem::path& folder) {
  if (settings.readError) return Refuse(port, ErrorKind::SettingsFile, settings.readError->what());
  if (!DriverInstalled(kEmbeddedDriver)) {
    return Refuse(port, ErrorKind::Connection,
                  "The embedded catalogue needs the SQLite ODBC driver (\"" + std::string(kEmbeddedDriver) +
                      "\" in odbcinst.ini), which is not installed: install the package " +
                      std::string(kEmbeddedDriverPackage) + ".");
  }
  const EmbeddedCatalogueFiles files = EmbeddedCatalogueIn(folder);
  // A file data source's values reach the driver unbraced: a ";" would end the database's path.
  if (files.database.string().find_first_of(";\r\n") != std::string::npos) {
    return Refuse(port, ErrorKind::Connection,
                  "The folder " + folder.string() + " holds a character a data source cannot carry (\";\" or a line "
                  "break): no catalogue is prepared there. Set XDG_DATA_HOME to another folder.");
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const FileDescriptor folderFd = OpenFolder(folder, FolderLinks::Follow);
  if (!folderFd) {
    return Refuse(port, ErrorKind::Connection,
                  "Cannot prepare the catalogue in " + folder.string() + ": " + std::strerror(folderFd.Error()));
  }
  bool databaseCreated = false;
  bool dataSourceCreated = false;
  std::optional<std::string> problem = EnsureFile(folderFd.Get(), files.database, "", databaseCreated);
  if (!problem) {
    const std::string dataSource = "[ODBC]\nDriver=" + std::string(kEmbeddedDriver) +
                                   "\nDatabase=" + files.database.string() + "\n";
    problem = EnsureFile(folderFd.Get(), files.dataSource, dataSource, dataSourceCreated);
  }
  if (problem) return Refuse(port, ErrorKind::Connection, *problem);

  Status tables = CreateTablesOfEmptyDatabase(connection, port, settings, files);
  if (!tables) return tables.GetError();

  // Selected last: the settings never name a catalogue that is not ready.
  StoreDbms(settings, settingsFile, DbmsKind::Sqlite);
  if (!SaveConnection(settings, settingsFile, files.dataSource.string(), true, settings.login, settings.password)) {
    return Refuse(port, ErrorKind::SettingsFile,
                  "The catalogue " + files.database.string() + " is ready, but the settings file " +
                      settingsFile.string() + " could not be written to select it.");
  }
  return (databaseCreated ? "Created the catalogue " : "Selected the catalogue ") + files.database.string() +
         std::string(kServerHint);
}

Expected<std::string> PrepareFirstStart(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                        const std::filesystem::path& settingsFile) {
  if (!IsFirstStart(settings)) return std::string();
  return PrepareEmbeddedCatalogue(connection, port, settings, settingsFile, UserDataFolder());
}

}  // namespace tessarine
