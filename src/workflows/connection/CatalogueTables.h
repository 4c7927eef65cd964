#pragma once
// The actions of the tables tab: create (drop and re-create) the folders or the images table,
// and show the statement that creates one without running it.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/TableName.h"
#include "core/UserPort.h"

namespace tessarine {

enum class CatalogueTable { Folders, Images };

// The texts of the two table-name boxes. The actions trim the box of their table in place.
struct TableNameBoxes {
  std::string folders;
  std::string images;
};

enum class CreateTableOutcome {
  InvalidName,    // "Invalid table name" was shown; nothing saved or executed
  Declined,       // the user did not confirm
  Created,        // the folders table: the window now enables its add and remove buttons
};

struct CreateTableRequest {
  CatalogueTable table = CatalogueTable::Folders;
  bool fileDsnSelected = false;           // the DSN kind the connection tab shows now
  std::filesystem::path settingsFile;     // where the table names are saved once connected
  std::function<void()> reloadFolderList;  // run after an images-table attempt, whatever happened
};

// Trims the box, checks the name (TableName) and stores it in settings. Shows "Invalid table name"
// and the rule (with a beep) and returns nullopt when it is not a valid table name.
std::optional<TableName> AcceptTableName(UserPort& port, Settings& settings, TableNameBoxes& boxes,
                                         CatalogueTable table);

// The creation statement of the table under the current dialect.
std::string CreationStatement(const Settings& settings, CatalogueTable table, const TableName& name);

// Asks for confirmation, then drops (errors ignored) and creates the table, and for the images
// table its index; reports any other error in the common form and returns it (the connection, or
// the create or index statement). Nothing is dropped on a server of another kind than the settings
// name, nor while a scan or check holds the catalogue (WrongKind, Busy: see OpenCatalogueToChange).
Expected<CreateTableOutcome> CreateCatalogueTable(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                        TableNameBoxes& boxes, const CreateTableRequest& request);

// Makes the images table's facts, keywords and hashes tables (see CompanionTablesOf) where the catalogue lacks
// them; the images table and its rows are never touched. Returns the names of the tables made
// (none: all were there). Refused as CreateCatalogueTable refuses, and when the images table is
// not there.
Expected<std::vector<std::string>> CreateCompanionTables(CatalogueConnection& connection, UserPort& port,
                                                        const Settings& settings, bool fileDsnSelected);

// What "Display SQL statement" shows: the dialog caption and the creation statement. Nothing is
// executed and nothing saved.
struct DisplayedStatement {
  std::string caption;
  std::string statement;
};
std::optional<DisplayedStatement> DisplayTableStatement(UserPort& port, Settings& settings, TableNameBoxes& boxes,
                                                        CatalogueTable table);

}  // namespace tessarine
