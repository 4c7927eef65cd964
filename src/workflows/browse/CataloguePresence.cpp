#include "workflows/browse/CataloguePresence.h"

#include "catalogue/CatalogueConnection.h"
#include "catalogue/SqlDialect.h"
#include "core/Error.h"
#include "core/TableName.h"

namespace tessarine {

bool CatalogueHoldsRows(CatalogueConnection& connection, const Settings& settings, bool fileDsnSelected) {
  const std::optional<TableName> images = TableName::Of(settings.images);
  if (!images) return false;
  try {
    if (!connection.IsOpen()) connection.OpenConnection(DataSourceOf(settings, fileDsnSelected));
    const auto rows = connection.ExecuteStatement(SqlDialectFor(settings.dbms).FirstRowsQuery(*images));
    return rows && !rows->IsEof();
  } catch (const Error&) {
    return false;
  }
}

}  // namespace tessarine
