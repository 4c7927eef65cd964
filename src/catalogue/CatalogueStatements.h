#pragma once
// The statements that create and drop the two catalogue tables. Table names are inserted as they
// stand; the images-table columns come from the one column table.

#include <string>
#include <string_view>

#include "catalogue/SqlDialect.h"

namespace tessarine {

// "create table " + name + " (Folder varchar(255) not null,Files varchar(255),LastScan char(19));"
std::string FoldersTableStatement(std::string_view name);

// "create table " + name + " (" + the 166 column definitions, each "Name type," + "primary key(Folder,FileName));"
std::string ImagesTableStatement(std::string_view name, const SqlDialect& dialect);

// "create index " + name + "Index on " + name + "(ModifyTime);"
std::string ImagesIndexStatement(std::string_view name);

// "drop table " + name + ";"
std::string DropTableStatement(std::string_view name);

}  // namespace tessarine
