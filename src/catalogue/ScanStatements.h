#pragma once
// The statements of the scan and the folder list, built from the table names, the folders' texts
// (FolderKey) and the images-table columns.

#include <string>
#include <string_view>

#include "core/FolderKey.h"
#include "core/ImageColumns.h"

namespace tessarine {

// EscapeSqlValue of the folder text with "!", "%" and "_" each preceded by "!", for
// "like '<pattern>%' escape '!'": the folder and its subfolders, and nothing else.
std::string FolderLikePrefix(std::string_view folderText);

// "delete from <images> where (Folder like '<prefix>%' escape '!');"
std::string DeleteFolderRows(std::string_view imagesTable, const FolderKey& folder);
// "select count(*) from <images> where(Folder like '<prefix>%' escape '!');"
std::string CountFolderRows(std::string_view imagesTable, const FolderKey& folder);
// "update <folders> set Files='<n>', LastScan='<stamp>' where (Folder='<folder>');"
std::string UpdateFolderRow(std::string_view foldersTable, const FolderKey& folder, long long files,
                            std::string_view lastScan);
// "insert into <folders> values('<folder>', '','');"
std::string InsertFolderRow(std::string_view foldersTable, const FolderKey& folder);
// "delete from <folders> where Folder='<folder>';"
std::string DeleteFolderRow(std::string_view foldersTable, const FolderKey& folder);

// "insert into <images> values('<Folder>','<FileName>',<ModifyTime>,'<...>',...,'<XMPCustom100>');"
// with every text value escaped and ModifyTime bare.
std::string InsertImageRow(std::string_view imagesTable, const ColumnValues& columns);

// The ModifyTime of a row: local yyyymmddhhmmssmmm (17 digits) of the moment it is built.
std::string RowStamp();
// The LastScan text: local yyyy-mm-dd hh:mm:ss.
std::string LastScanStamp();

}  // namespace tessarine
