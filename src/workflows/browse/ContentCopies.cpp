#include "workflows/browse/ContentCopies.h"

#include <algorithm>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "core/DatabaseError.h"
#include "core/WindowTitle.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {

Expected<long long> ForEachCopyGroup(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                     const std::function<void(const CopyGroup&)>& each) {
  Expected<TableName> images = CheckedTableName(port, settings.images);
  if (!images) return images.GetError();
  try {
    const TableName hashes = HashesTableName(*images);
    if (!TableExists(connection, hashes)) {
      port.ShowMessage(std::string(kNoHashesToCompare), MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
      return Error(ErrorKind::Search, std::string(kNoHashesToCompare));
    }
    long long groups = 0;
    CopyGroup group;
    const auto end = [&] {
      if (group.paths.empty()) return;
      each(group);
      ++groups;
      group.paths.clear();
    };
    auto result = connection.ExecuteStatement(SelectSharedHashes(hashes), CursorChoice::ForwardOnly);
    for (; result && !result->IsEof(); result->MoveNext()) {
      std::string hash = result->FieldValue(0).value_or("");
      std::string name = result->FieldValue(2).value_or("");
      std::replace(name.begin(), name.end(), '/', '\\');
      if (hash != group.hash) {
        end();
        group.hash = std::move(hash);
      }
      group.paths.push_back(result->FieldValue(1).value_or("") + name);
    }
    end();
    return groups;
  } catch (const DatabaseError& error) {
    ReportDatabaseError(port, error);
    return Error(error);
  }
}

}  // namespace tessarine
