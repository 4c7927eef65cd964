#include "workflows/browse/ContentCopies.h"

#include <algorithm>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "core/DatabaseError.h"
#include "core/WindowTitle.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine {
namespace {

// "folder/file" of a row; a name an earlier version stored with "/" for "\" as the disk names it.
std::string PathOf(std::string folder, std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return folder + name;
}

}  // namespace

Expected<CopyCount> ForEachCopyGroup(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                     const std::function<void(const CopyGroup&)>& each) {
  Expected<TableName> images = CheckedTableName(port, settings.images);
  if (!images) return images.GetError();
  try {
    const TableName hashes = HashesTableName(*images);
    if (!TableExists(connection, hashes)) {
      port.ShowMessage(std::string(kNoHashesToCompare), MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
      return Error(ErrorKind::Search, std::string(kNoHashesToCompare));
    }
    CopyCount count;
    CopyGroup group;
    const auto end = [&] {
      if (group.paths.empty()) return;
      each(group);
      ++count.groups;
      group.paths.clear();
    };
    auto result = connection.ExecuteStatement(SelectSharedHashes(hashes), CursorChoice::ForwardOnly);
    for (; result && !result->IsEof(); result->MoveNext()) {
      std::string hash = result->FieldValue(0).value_or("");
      if (hash != group.hash) {
        end();
        group.hash = std::move(hash);
      }
      group.paths.push_back(PathOf(result->FieldValue(1).value_or(""), result->FieldValue(2).value_or("")));
    }
    end();
    count.unhashed = std::stoll(connection.FirstValue(CountUnhashedRows(*images, hashes)).value_or("0"));
    return count;
  } catch (const DatabaseError& error) {
    ReportDatabaseError(port, error);
    return Error(error);
  }
}

std::vector<std::string> CopiesOf(CatalogueConnection& connection, const TableName& imagesTable,
                                  std::string_view folderText, std::string_view fileText) {
  std::vector<std::string> copies;
  const TableName hashes = HashesTableName(imagesTable);
  if (!TableExists(connection, hashes)) return copies;
  auto result = connection.ExecuteStatement(SelectCopiesOf(hashes, std::string(folderText), std::string(fileText)),
                                            CursorChoice::ForwardOnly);
  for (; result && !result->IsEof(); result->MoveNext()) {
    copies.push_back(PathOf(result->FieldValue(0).value_or(""), result->FieldValue(1).value_or("")));
  }
  return copies;
}

}  // namespace tessarine
