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
