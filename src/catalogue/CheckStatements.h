#pragma once
// The statements of the consistency check: find and mark the row of a file found on disk, list the
// rows the run did not mark, delete a listed row. Values are bound.

#include <string>
#include <string_view>

#include "catalogue/SqlStatement.h"
#include "core/FolderKey.h"
#include "core/TableName.h"

namespace tessarine {

// The keys a row of a file is looked up by: as stored now, or as earlier versions stored them
// (FormerKeyText).
enum class KeyForm { Current, Former };

// "select Checked from <images> where Folder=? and FileName=?"
SqlStatement SelectCheckedRow(const TableName& imagesTable, const FolderKey& folder, std::string_view nameBytes,
                              KeyForm form = KeyForm::Current);
// "update <images> set Checked=? where Folder=? and FileName=?"
SqlStatement UpdateCheckedRow(const TableName& imagesTable, std::string_view stamp, const FolderKey& folder,
                              std::string_view nameBytes, KeyForm form = KeyForm::Current);
// "select Folder,FileName from <images> where Checked != ? and Folder like ? escape '!';" the rows
// of one listed tree the run did not mark.
SqlStatement SelectUncheckedRows(const TableName& imagesTable, std::string_view stamp, const FolderKey& tree);
// "select count(*) from <images> where Checked=?;"
SqlStatement CountStampedRows(const TableName& imagesTable, std::string_view stamp);
// "delete from <images> where Folder=? and FileName=?" the row of a listed line, by its stored keys.
SqlStatement DeleteCheckedLine(const TableName& imagesTable, std::string_view folderKey, std::string_view fileKey);

}  // namespace tessarine
