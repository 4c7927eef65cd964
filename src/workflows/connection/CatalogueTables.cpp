#include "workflows/connection/CatalogueTables.h"

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/ServerKind.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/WindowTitle.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {
namespace {

std::string& BoxOf(TableNameBoxes& boxes, CatalogueTable table) {
  return table == CatalogueTable::Folders ? boxes.folders : boxes.images;
}

// Makes the table anew so that a server that refuses the new table (one that requires primary
// keys, a login without the right) leaves the old one and its rows as they are: where a rollback
// brings a dropped table back, the drop and the creation share one transaction; elsewhere the new
// table is made first under the name "<name>_new", and only then the old one dropped and the new
// one renamed.
Status ReplaceTable(CatalogueConnection& connection, UserPort& port, const Settings& settings, CatalogueTable table,
                    const TableName& name) {
  const SqlDialect& dialect = SqlDialectFor(settings.dbms);
  const bool existed = TableExists(connection, name);
  // The images table's companion tables go and come with it: dropped before it (their keys point at
  // it), made after it.
  const bool images = table == CatalogueTable::Images;
  std::vector<TableName> companionsThere;
  for (const TableName& companion :
       {WordsTableName(name), FactsTableName(name), KeywordsTableName(name), HashesTableName(name)}) {
    if (images && TableExists(connection, companion)) companionsThere.push_back(companion);
  }
  const bool inTransaction = TableChangesRollBack(connection.DbmsName()) && dialect.transactionStart;
  std::optional<TableName> fresh;
  if (!inTransaction) {
    fresh = TableName::Of(name.Text() + "_new");
    if (!fresh || TableExists(connection, *fresh)) {
      // Never dropped: it may be a table of the user's own.
      const std::string text = "Table '" + name.Text() + "_new' exists already: rename it or drop it, then create "
                               "table '" + name.Text() + "' again. Nothing was changed.";
      port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
      port.SetStatus(text);
      return Error(ErrorKind::Database, text);
    }
    if (Status created = SendOrReport(connection, port, CreationStatement(settings, table, *fresh)); !created) {
      return created;
    }
  }
  Status status;
  if (inTransaction) status = SendOrReport(connection, port, std::string(*dialect.transactionStart));
  for (const TableName& companion : companionsThere) {
    if (status) status = SendOrReport(connection, port, DropTableStatement(companion));
  }
  if (status && existed) status = SendOrReport(connection, port, DropTableStatement(name));
  if (status) {
    status = fresh ? SendOrReport(connection, port, RenameTableStatement(*fresh, name, dialect))
                   : SendOrReport(connection, port, CreationStatement(settings, table, name));
  }
  if (status && images) status = SendOrReport(connection, port, ImagesIndexStatement(name));
  if (status && images) status = SendOrReport(connection, port, WordsTableStatement(name, dialect));
  if (images) {
    for (const CompanionTable& companion : CompanionTablesOf(name, dialect)) {
      for (const std::string& statement : companion.statements) {
        if (status) status = SendOrReport(connection, port, statement);
      }
    }
  }
  if (status && inTransaction) status = SendOrReport(connection, port, std::string(*dialect.transactionEnd));
  if (!status) {
    if (inTransaction) SendIgnoringErrors(connection, SqlStatement("rollback;"));
    if (fresh && !TableExists(connection, name)) {
      // The old table is gone and the new one kept its temporary name: it takes the name now.
      SendIgnoringErrors(connection, RenameTableStatement(*fresh, name, dialect));
    } else if (fresh) {
      SendIgnoringErrors(connection, DropTableStatement(*fresh));  // made above, empty
    }
  }
  return status;
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

  const std::string question = "Table '" + name->Text() + "' and its content will be removed\r\nPlease confirm";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return CreateTableOutcome::Declined;
  }

  BusyPointer busy(port);
  // Never a drop on a server of another kind than the settings name, nor under a running scan or check.
  Status status = OpenCatalogueToChange(connection, port, settings, request.fileDsnSelected);
  if (status) {
    SaveTables(settings, request.settingsFile, boxes.folders, boxes.images);
    status = ReplaceTable(connection, port, settings, request.table, *name);
    connection.CloseConnection();
  }
  if (request.table == CatalogueTable::Images && request.reloadFolderList) request.reloadFolderList();
  if (!status) return status.GetError();
  return CreateTableOutcome::Created;
}

Expected<std::vector<std::string>> CreateCompanionTables(CatalogueConnection& connection, UserPort& port,
                                                        const Settings& settings, bool fileDsnSelected) {
  const std::optional<TableName> images = TableName::Of(settings.images);
  if (!images) {
    const std::string text = "Invalid table name '" + settings.images + "'\r\n" + std::string(kTableNameRule);
    port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
    return Error(ErrorKind::TableName, text);
  }
  BusyPointer busy(port);
  Status status = OpenCatalogueToChange(connection, port, settings, fileDsnSelected);
  if (!status) return status.GetError();
  const SqlDialect& dialect = SqlDialectFor(settings.dbms);
  std::vector<std::string> created;
  if (!TableExists(connection, *images)) {
    const std::string text = "Table '" + images->Text() + "' does not exist: create the images table first "
                             "(\"tessarine db create --images --yes\"), which makes these tables with it.";
    port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
    status = Error(ErrorKind::Database, text);
  }
  // Each table with its indexes at once: a server that refuses one leaves the tables made before.
  const bool inTransaction = TableChangesRollBack(connection.DbmsName()) && dialect.transactionStart;
  for (const auto& [table, statements] : CompanionTablesOf(*images, dialect)) {
    if (!status || TableExists(connection, table)) continue;
    if (inTransaction) status = SendOrReport(connection, port, std::string(*dialect.transactionStart));
    for (const std::string& statement : statements) {
      if (status) status = SendOrReport(connection, port, statement);
    }
    if (status && inTransaction) status = SendOrReport(connection, port, std::string(*dialect.transactionEnd));
    if (!status && inTransaction) SendIgnoringErrors(connection, SqlStatement("rollback;"));
    if (status) created.push_back(table.Text());
  }
  connection.CloseConnection();
  if (!status) return status.GetError();
  return created;
}

std::optional<DisplayedStatement> DisplayTableStatement(UserPort& port, Settings& settings, TableNameBoxes& boxes,
                                                        CatalogueTable table) {
  const std::optional<TableName> name = AcceptTableName(port, settings, boxes, table);
  if (!name) return std::nullopt;
  return DisplayedStatement{"SQL statement to create table '" + name->Text() + "'",
                            CreationStatement(settings, table, *name)};
}

}  // namespace tessarine
