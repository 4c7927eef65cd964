#pragma once
// An SQLite catalogue on a file data source of the test's own, beside its settings file.

#include <filesystem>
#include <string>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/Settings.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "support/ValidName.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine::test {

// Writes a file data source for catalogue.sqlite beside the settings file, and the settings file
// naming it, followed by `more` (keys of [Database], then further sections).
inline void WriteSqliteSettings(const std::filesystem::path& settingsFile, const std::string& more = "") {
  const auto folder = settingsFile.parent_path();
  WriteFile(folder / "catalogue.dsn", "[ODBC]\nDriver=SQLite3\nDatabase=" + (folder / "catalogue.sqlite").string() + "\n");
  WriteFile(settingsFile, "[Connection]\nDSN=" + (folder / "catalogue.dsn").string() +
                              "\nFileDSN=1\n[Database]\nDBMS=3\n" + more);
}

// Creates the folders and images tables the settings file names, with the facts and keywords tables; when `scanned` is given, adds it
// to the folders table and scans it. Returns the first message shown, "" when there was none.
inline std::string CreateSqliteCatalogue(const std::filesystem::path& settingsFile,
                                         const std::filesystem::path& scanned = {}) {
  RecordingUserPort port;
  CatalogueConnection connection;
  const Settings settings = LoadSettings(settingsFile);
  try {
    connection.OpenConnection(DataSourceOf(settings, true));
  } catch (const Error& error) {
    return std::string("no catalogue: ") + error.what();
  }
  connection.SendStatement(FoldersTableStatement(ValidName(settings.folders)));
  const SqlDialect& dialect = SqlDialectFor(settings.dbms);
  connection.SendStatement(ImagesTableStatement(ValidName(settings.images), dialect));
  for (const CompanionTable& table : CompanionTablesOf(ValidName(settings.images), dialect)) {
    for (const std::string& statement : table.statements) connection.SendStatement(statement);
  }
  if (!scanned.empty()) {
    AddFolderToScan(connection, port, settings, true, scanned.string(), {});
    auto entries = LoadFolderEntries(connection, port, settings, true).entries;
    for (auto& e : entries) e.checked = true;
    ScanFolders(connection, port, settings, true, settingsFile, entries, {});
  }
  return port.messages.empty() ? std::string() : port.messages.front().text;
}

}  // namespace tessarine::test
