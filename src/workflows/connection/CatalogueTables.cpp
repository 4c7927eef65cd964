#include "workflows/connection/CatalogueTables.h"

#include "catalogue/CatalogueStatements.h"
#include "core/WindowTitle.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {
namespace {

std::string& BoxOf(TableNameBoxes& boxes, CatalogueTable table) {
  return table == CatalogueTable::Folders ? boxes.folders : boxes.images;
}

}  // namespace

std::optional<TableName> AcceptTableName(UserPort& port, Settings& settings, TableNameBoxes& boxes,
                                         CatalogueTable table) {
  std::string& box = BoxOf(boxes, table);
  box = TrimSpaces(box);
  std::optional<TableName> name = TableName::Of(box);
  if (!name) {
    port.ShowMessage("Invalid table name\r\n" + std::string(kTableNameRule), MessageIcon::Exclamation, kWindowTitle,
                     MessageButtons::Ok);
    port.Beep();
    return std::nullopt;
  }
  (table == CatalogueTable::Folders ? settings.folders : settings.images) = box;
  return name;
}

std::string CreationStatement(const Settings& settings, CatalogueTable table, const TableName& name) {
  return table == CatalogueTable::Folders ? FoldersTableStatement(name)
                                          : ImagesTableStatement(name, SqlDialectFor(settings.dbms));
}

Expected<CreateTableOutcome> CreateCatalogueTable(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                        TableNameBoxes& boxes, const CreateTableRequest& request) {
  const std::optional<TableName> name = AcceptTableName(port, settings, boxes, request.table);
  if (!name) return CreateTableOutcome::InvalidName;
  const std::string statement = CreationStatement(settings, request.table, *name);

  const std::string question = "Table '" + name->Text() + "' and its content will be removed\r\nPlease confirm";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return CreateTableOutcome::Declined;
  }

  BusyPointer busy(port);
  // Never a drop on a server of another kind than the settings name, nor under a running scan or check.
  Status status = OpenCatalogueToChange(connection, port, settings, request.fileDsnSelected);
  if (status) {
    SaveTables(settings, request.settingsFile, boxes.folders, boxes.images);
    SendIgnoringErrors(connection, DropTableStatement(*name));  // the table may not exist yet
    status = SendOrReport(connection, port, statement);
    if (status && request.table == CatalogueTable::Images) {
      status = SendOrReport(connection, port, ImagesIndexStatement(*name));
    }
    connection.CloseConnection();
  }
  if (request.table == CatalogueTable::Images && request.reloadFolderList) request.reloadFolderList();
  if (!status) return status.GetError();
  return CreateTableOutcome::Created;
}

std::optional<DisplayedStatement> DisplayTableStatement(UserPort& port, Settings& settings, TableNameBoxes& boxes,
                                                        CatalogueTable table) {
  const std::optional<TableName> name = AcceptTableName(port, settings, boxes, table);
  if (!name) return std::nullopt;
  return DisplayedStatement{"SQL statement to create table '" + name->Text() + "'",
                            CreationStatement(settings, table, *name)};
}

}  // namespace tessarine
