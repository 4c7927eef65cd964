#include "catalogue/CheckStatements.h"

#include "catalogue/ScanStatements.h"
#include "core/TextDecoding.h"

namespace tessarine {
namespace {

// Binds the keys of a row as the scan stores them, or stored them once.
SqlStatement& BindKeys(SqlStatement& statement, const FolderKey& folder, std::string_view nameBytes, KeyForm form) {
  const std::string name = NameToText(nameBytes);
  if (form == KeyForm::Former) return statement.Bind(FormerKeyText(folder.Text())).Bind(FormerKeyText(name));
  return statement.Bind(FolderKeyText(folder)).Bind(KeyText(name));
}

}  // namespace

SqlStatement SelectCheckedRow(const TableName& imagesTable, const FolderKey& folder, std::string_view nameBytes,
                              KeyForm form) {
  SqlStatement statement("select Checked from " + imagesTable.Text() + " where Folder=? and FileName=?");
  return BindKeys(statement, folder, nameBytes, form);
}

SqlStatement UpdateCheckedRow(const TableName& imagesTable, std::string_view stamp, const FolderKey& folder,
                              std::string_view nameBytes, KeyForm form) {
  SqlStatement statement("update " + imagesTable.Text() + " set Checked=? where Folder=? and FileName=?");
  statement.Bind(stamp);
  return BindKeys(statement, folder, nameBytes, form);
}

SqlStatement SelectUncheckedRows(const TableName& imagesTable, std::string_view stamp, const FolderKey& tree) {
  return SqlStatement("select Folder,FileName from " + imagesTable.Text() +
                      " where Checked != ? and Folder like ? escape '!';")
      .Bind(stamp)
      .Bind(FolderTreePattern(FolderKeyText(tree)));
}

SqlStatement CountStampedRows(const TableName& imagesTable, std::string_view stamp) {
  return SqlStatement("select count(*) from " + imagesTable.Text() + " where Checked=?;").Bind(stamp);
}

SqlStatement DeleteCheckedLine(const TableName& imagesTable, std::string_view folderKey, std::string_view fileKey) {
  return SqlStatement("delete from " + imagesTable.Text() + " where Folder=? and FileName=?")
      .Bind(folderKey)
      .Bind(fileKey);
}

}  // namespace tessarine
