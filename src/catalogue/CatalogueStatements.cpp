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

std::string FoldersTableStatement(const TableName& name) {
  std::string sql = "create table ";
  sql += name.Text();
  sql += " (Folder varchar(255) not null,Files varchar(255),LastScan char(19),primary key(Folder));";
  return sql;
}

std::string ImagesTableStatement(const TableName& name, const SqlDialect& dialect) {
  std::string sql = "create table ";
  sql += name.Text();
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

std::string ImagesIndexStatement(const TableName& name) {
  std::string sql = "create index ";
  sql += name.Text();
  sql += "Index on ";
  sql += name.Text();
  sql += "(ModifyTime);";
  return sql;
}

std::string DropTableStatement(const TableName& name) {
  std::string sql = "drop table ";
  sql += name.Text();
  sql += ';';
  return sql;
}

std::string RenameTableStatement(const TableName& from, const TableName& to, const SqlDialect& dialect) {
  if (dialect.renameByProcedure) return "exec sp_rename '" + from.Text() + "', '" + to.Text() + "';";
  return "alter table " + from.Text() + " rename to " + to.Text() + ";";
}

std::string TableExistsQuery(const TableName& name) { return "select 1 from " + name.Text() + " where 1 = 0;"; }

std::string EmbeddedTableCountQuery() { return "select count(*) from sqlite_master where type = 'table';"; }

std::string EmbeddedWriteTransactionStatement() { return "begin immediate transaction;"; }

}  // namespace tessarine
