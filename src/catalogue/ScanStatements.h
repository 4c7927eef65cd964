#pragma once
// The statements of the scan and the folder list, built from the checked table names (TableName),
// the folders' texts (FolderKey) and the images-table columns. Every value is bound, never spliced
// into the text.

#include <set>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/FolderKey.h"
#include "core/ImageColumns.h"
#include "core/TableName.h"

namespace tessarine {

// A key (Folder, FileName) as the tables store it: the text as it is, "\" included (on this
// system an ordinary character of a name).
std::string KeyText(std::string_view text);
// The form earlier versions stored a key in: every "\" turned into "/". A row of that form is
// replaced when its folder is scanned again, and is the row of its file for the check.
std::string FormerKeyText(std::string_view text);
// True when a key has a former form that differs from it.
inline bool HasFormerKeyText(std::string_view text) { return text.find('\\') != std::string_view::npos; }
// Adds the keys under which rows below an entry of a listed folder may be stored: the entry's own,
// and for a name holding "\" the first name of its former form ("a\b" -> "a"), so that rows an
// earlier version stored there are never taken for rows of a gone folder.
void AddEntryKeys(std::set<std::string>& keys, std::string_view entryText);
// The Folder key of a folder.
inline std::string FolderKeyText(const FolderKey& folder) { return KeyText(folder.Text()); }

// The characters (or bytes) a key column holds: Folder and FileName are varchar(255).
inline constexpr std::size_t kKeyColumnWidth = 255;
// Whether the server of the dialect can store the key in a key column.
bool KeyFits(const SqlDialect& dialect, std::string_view keyText);

// The LIKE pattern, for "escape '!'", of a stored folder key and every folder below it: the key
// with "!", "%" and "_" each preceded by "!", then "%".
std::string FolderTreePattern(std::string_view folderKeyText);

// "select count(*) from <images> where Folder like ? escape '!';"
SqlStatement CountFolderRows(const TableName& imagesTable, const FolderKey& folder, const SqlDialect& dialect);
// "update <folders> set Files=?, LastScan=? where Folder=?;"
SqlStatement UpdateFolderRow(const TableName& foldersTable, const FolderKey& folder, long long files,
                             std::string_view lastScan);
// "select * from <folders>;" the folder list.
SqlStatement SelectFolderList(const TableName& foldersTable);
// "insert into <folders> values(?, '', '');"
SqlStatement InsertFolderRow(const TableName& foldersTable, const FolderKey& folder);
// "delete from <folders> where Folder=?;"
SqlStatement DeleteFolderRow(const TableName& foldersTable, const FolderKey& folder);

// "insert into <images> values(?,...,?);" the 166 values in column order; Folder and FileName in
// their key form, ModifyTime as a number, every other value exactly as given.
SqlStatement InsertImageRow(const TableName& imagesTable, const ColumnValues& columns);
// The same for several rows in one statement: "insert into <images> values(?,...),(?,...);" (a
// dialect's multiRowInsert).
SqlStatement InsertImageRows(const TableName& imagesTable, std::span<const ColumnValues> rows);
// "update <images> set Folder=?, FileName=?, ModifyTime=?, ... where Folder=? and FileName=?;"
// every column from the values; the row is the one the server matches to the keys (its own
// comparison, which may ignore letter case), and it takes the keys' present spelling.
SqlStatement UpdateImageRow(const TableName& imagesTable, const ColumnValues& columns);

// The words a search finds a row by, folded (FoldForSearch): each distinct piece between blanks of
// its searched columns (kSearchedFixedColumns, then every custom column: a scan fills only those
// bound), once, in order, joined by spaces. A search word holds no blank, so it occurs in a column
// exactly when its folded form occurs in one piece. At most maxBytes bytes (the dialect's
// longTextBytes, 65,535 but on Oracle): the piece that would pass them is left out with those after it.
std::string RowWords(const ColumnValues& columns, std::size_t maxBytes);
// "insert into <words> values(?,?,?);" the row's keys and its RowWords; "insert or replace" when
// replacing (a dialect's insertOrReplace): a words row of the same key then gives way.
SqlStatement InsertWordsRow(const TableName& wordsTable, const ColumnValues& columns, std::size_t maxBytes,
                            bool replacing = false);
// The same for several rows in one statement.
SqlStatement InsertWordsRows(const TableName& wordsTable, std::span<const ColumnValues> rows, std::size_t maxBytes,
                             bool replacing = false);

// "select Folder,FileName,FileSize,FileLastWriteDate,FileLastWriteTime from <images> where Folder=?;"
// the rows stored for one folder, with what tells whether their files changed.
SqlStatement SelectFolderRows(const TableName& imagesTable, std::string_view folderKeyText);
// "select Folder,FileName from <images> where Folder=? and FileName=?;" the rows the server
// matches to one key.
SqlStatement SelectImageRow(const TableName& imagesTable, std::string_view folderKeyText,
                            std::string_view fileKeyText);
// "delete from <images> where Folder=? and FileName=?;"
SqlStatement DeleteImageRow(const TableName& imagesTable, std::string_view folderKeyText,
                            std::string_view fileKeyText);
// "select distinct Folder from <images> where Folder like ? escape '!';" the stored folders of a
// tree (the server's LIKE may also match folders that differ in letter case).
SqlStatement SelectStoredFolders(const TableName& imagesTable, std::string_view folderKeyText);
// "select distinct Folder from <images> where Folder=?;"
SqlStatement SelectStoredFolder(const TableName& imagesTable, std::string_view folderKeyText);
// "select count(*) from <images> where Folder=?;" the rows the delete below would delete.
SqlStatement CountStoredFolderRows(const TableName& imagesTable, std::string_view folderKeyText);
// "delete from <images> where Folder=?;" the rows of one folder (not of its subfolders).
SqlStatement DeleteStoredFolderRows(const TableName& imagesTable, std::string_view folderKeyText);

// The ModifyTime of a row: local yyyymmddhhmmssmmm (17 digits) of the moment it is built.
std::string RowStamp();
// The LastScan text: local yyyy-mm-dd hh:mm:ss.
std::string LastScanStamp();

}  // namespace tessarine
