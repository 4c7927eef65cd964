#pragma once
// The statements of the consistency check: find and mark the row of a file found on disk, list the
// rows the run did not mark, delete a listed row.

#include <string>
#include <string_view>

#include "core/FolderKey.h"

namespace tessarine {

// "select Checked from <images> where Folder='<folder>' and FileName='<name>'"
std::string SelectCheckedRow(std::string_view imagesTable, const FolderKey& folder, std::string_view nameBytes);
// "update <images> set Checked='<stamp>' where Folder='<folder>' and FileName='<name>'"
std::string UpdateCheckedRow(std::string_view imagesTable, std::string_view stamp, const FolderKey& folder,
                             std::string_view nameBytes);
// "select Folder,FileName from <images> where Checked != '<stamp>';"
std::string SelectUncheckedRows(std::string_view imagesTable, std::string_view stamp);
// "select count(*) from <images> where Checked='<stamp>';"
std::string CountStampedRows(std::string_view imagesTable, std::string_view stamp);
// The delete of one listed line, from the texts shown.
std::string DeleteCheckedLine(std::string_view imagesTable, std::string_view folder, std::string_view file);

}  // namespace tessarine
