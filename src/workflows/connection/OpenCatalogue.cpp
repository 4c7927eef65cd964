#include "workflows/connection/OpenCatalogue.h"

#include "core/DatabaseError.h"
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
  return OpenCatalogue(connection, port, DataSourceOf(settings, fileDsnSelected));
}

}  // namespace tessarine
