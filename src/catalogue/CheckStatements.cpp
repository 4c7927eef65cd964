#include "catalogue/CheckStatements.h"

#include "catalogue/EscapeSqlValue.h"
#include "core/TextDecoding.h"

namespace tessarine {
namespace {

// The keys of a row: the folder's text and the name's text as the scan stored them, escaped.
std::string RowKeys(const FolderKey& folder, std::string_view nameBytes) {
  return "Folder='" + EscapeSqlValue(folder.Text()) + "' and FileName='" + EscapeSqlValue(NameToText(nameBytes)) +
         "'";
}

}  // namespace

std::string SelectCheckedRow(std::string_view imagesTable, const FolderKey& folder, std::string_view nameBytes) {
  return "select Checked from " + std::string(imagesTable) + " where " + RowKeys(folder, nameBytes);
}

std::string UpdateCheckedRow(std::string_view imagesTable, std::string_view stamp, const FolderKey& folder,
                             std::string_view nameBytes) {
  return "update " + std::string(imagesTable) + " set Checked='" + std::string(stamp) + "' where " +
         RowKeys(folder, nameBytes);
}

std::string SelectUncheckedRows(std::string_view imagesTable, std::string_view stamp) {
  return "select Folder,FileName from " + std::string(imagesTable) + " where Checked != '" + std::string(stamp) +
         "';";
}

std::string CountStampedRows(std::string_view imagesTable, std::string_view stamp) {
  return "select count(*) from " + std::string(imagesTable) + " where Checked='" + std::string(stamp) + "';";
}

std::string DeleteCheckedLine(std::string_view imagesTable, std::string_view folder, std::string_view file) {
  return "delete from " + std::string(imagesTable) + " where Folder='" + EscapeSqlValue(folder) +
         "' and FileName='" + EscapeSqlValue(file) + "'";
}

}  // namespace tessarine
