#include "workflows/connection/OpenCatalogue.h"

#include "catalogue/ServerKind.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/WindowTitle.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {

Status OpenCatalogue(CatalogueConnection& connection, UserPort& port, const DataSource& source) {
  port.SetStatus("");
  try {
    connection.OpenConnection(source);
    return {};
  } catch (const DatabaseError& error) {
    ReportDatabaseError(port, error);
    return error;
  } catch (const Error& error) {
    port.SetStatus(error.what());
    return error;
  }
}

Status OpenCatalogue(CatalogueConnection& connection, UserPort& port, const Settings& settings, bool fileDsnSelected) {
  // Settings that could not be read name no data source: why is said, not "DSN not defined".
  if (settings.readError) {
    port.SetStatus(settings.readError->what());
    return *settings.readError;
  }
  return OpenCatalogue(connection, port, DataSourceOf(settings, fileDsnSelected));
}

namespace {

// An operation that will not start: the connection is closed and the user told why.
Status Refuse(CatalogueConnection& connection, UserPort& port, ErrorKind kind, const std::string& text) {
  connection.CloseConnection();
  port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  port.Beep();
  port.SetStatus(text);
  return Error(kind, text);
}

Status TakeCatalogueLock(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                         const std::vector<FolderKey>& folders) {
  LockRequest request{settings.images, {}, settings.staleLockSeconds};
  for (const FolderKey& folder : folders) request.folders.push_back(folder.Text());
  std::optional<std::string> holder;
  try {
    holder = connection.TakeCatalogueLock(request);
  } catch (const DatabaseError& error) {
    connection.CloseConnection();
    ReportDatabaseError(port, error);
    return error;
  }
  if (!holder) {
    for (const std::string& silent : connection.LockTakeovers()) {
      port.ShowMessage("Lock taken over from " + silent + " (its holder ended without giving it back)",
                       MessageIcon::Information, kWindowTitle, MessageButtons::Ok);
    }
    return {};
  }
  return Refuse(connection, port, ErrorKind::Busy,
                "Another scan or check is working on table '" + settings.images + "' (" + *holder +
                    "). Nothing was changed: try again when it has ended.");
}

}  // namespace

Status OpenCatalogueToChange(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                             bool fileDsnSelected, const std::vector<FolderKey>& folders) {
  Status opened = OpenCatalogue(connection, port, settings, fileDsnSelected);
  if (!opened) return opened;
  if (KindFitsServer(settings.dbms, connection.DbmsName())) return TakeCatalogueLock(connection, port, settings, folders);
  return Refuse(connection, port, ErrorKind::WrongKind,
                "The data source '" + settings.dsn + "' is a " + connection.DbmsName() +
                    " database, but the settings name the kind '" + std::string(DbmsCaption(settings.dbms)) +
                    "'. Nothing was changed: choose the kind of the database on tab 1.");
}

}  // namespace tessarine
