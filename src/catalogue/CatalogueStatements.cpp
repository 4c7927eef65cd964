#include "catalogue/CatalogueStatements.h"

#include "core/ImageColumns.h"

namespace tessarine {
namespace {

std::string_view ColumnType(ColumnKind kind, const SqlDialect& dialect) {
  switch (kind) {
    case ColumnKind::Key:
      return "varchar(255) not null";
    case ColumnKind::Stamp:
      return dialect.modifyTimeType;
    case ColumnKind::Checked:
      return "char(19)";
    case ColumnKind::LongText:
    case ColumnKind::Custom:
      break;
  }
  return dialect.longTextType;
}

}  // namespace

std::string FoldersTableStatement(std::string_view name) {
  std::string sql = "create table ";
  sql += name;
  sql += " (Folder varchar(255) not null,Files varchar(255),LastScan char(19));";
  return sql;
}

std::string ImagesTableStatement(std::string_view name, const SqlDialect& dialect) {
  std::string sql = "create table ";
  sql += name;
  sql += " (";
  for (const ImageColumn& column : ImageColumns()) {
    sql += column.name;
    sql += ' ';
    sql += ColumnType(column.kind, dialect);
    sql += ',';
  }
  sql += "primary key(Folder,FileName));";
  return sql;
}

std::string ImagesIndexStatement(std::string_view name) {
  std::string sql = "create index ";
  sql += name;
  sql += "Index on ";
  sql += name;
  sql += "(ModifyTime);";
  return sql;
}

std::string DropTableStatement(std::string_view name) {
  std::string sql = "drop table ";
  sql += name;
  sql += ';';
  return sql;
}

}  // namespace tessarine
