#pragma once
// The statements that create and drop the two catalogue tables. Table names are checked ones
// (TableName), inserted as they stand; the images-table columns come from the one column table.

#include <string>
#include <string_view>

#include "catalogue/SqlDialect.h"
#include "core/TableName.h"

namespace tessarine {

// "create table " + name + " (Folder varchar(255) not null,Files varchar(255),LastScan char(19));"
std::string FoldersTableStatement(const TableName& name);

// "create table " + name + " (" + the 166 column definitions, each "Name type," + "primary key(Folder,FileName));"
std::string ImagesTableStatement(const TableName& name, const SqlDialect& dialect);

// "create index " + name + "Index on " + name + "(ModifyTime);"
std::string ImagesIndexStatement(const TableName& name);

// A name derived from the images table's: "<images><suffix>", or, where that would pass 30
// characters (the shortest limit among the servers: Oracle's before 12.2), the images name's first
// 21 characters, "_" and 8 hex digits of a hash of the whole name and the suffix.
TableName DerivedTableName(const TableName& imagesTable, std::string_view suffix);

// The table of the images table's folded words, one row per row of it (see RowWords): named
// "<images>_words", or, where that would pass 30 characters, as DerivedTableName names it but for
// the hash, of the images name alone (the words table was named so first).
TableName WordsTableName(const TableName& imagesTable);

// "create table <words> (Folder varchar(255) not null,FileName varchar(255) not null,Words <long
// text>,primary key(Folder,FileName),foreign key(Folder,FileName) references <images>(Folder,
// FileName) on delete cascade on update cascade);" a words row goes with its images row.
std::string WordsTableStatement(const TableName& imagesTable, const SqlDialect& dialect);

// "drop table " + name + ";"
std::string DropTableStatement(const TableName& name);
// Gives a table another name.
std::string RenameTableStatement(const TableName& from, const TableName& to, const SqlDialect& dialect);
// A query that the server answers (with no row) only when the table exists.
std::string TableExistsQuery(const TableName& name);

// The number of tables an embedded (SQLite) catalogue holds.
std::string EmbeddedTableCountQuery();

// Takes the embedded catalogue's write lock at once, so that the count of its tables stays true
// until the commit: two programs starting together cannot both create the tables.
std::string EmbeddedWriteTransactionStatement();

}  // namespace tessarine
