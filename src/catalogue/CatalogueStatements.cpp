#include "catalogue/CatalogueStatements.h"

#include <cstdint>
#include <cstdio>

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

namespace {

TableName NameWithin30(const std::string& images, std::string_view suffix, std::string_view hashed) {
  constexpr std::size_t kMaxNameLength = 30;
  std::string name = images + std::string(suffix);
  if (name.size() > kMaxNameLength) {
    std::uint32_t hash = 2166136261U;  // FNV-1a
    for (char c : hashed) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", hash);
    name = images.substr(0, kMaxNameLength - 9) + "_" + digits;
  }
  // Letters, digits and "_" after a first character that is no digit, and never a reserved word.
  return TableName::Of(name).value();
}

}  // namespace

TableName DerivedTableName(const TableName& imagesTable, std::string_view suffix) {
  return NameWithin30(imagesTable.Text(), suffix, imagesTable.Text() + std::string(suffix));
}

TableName WordsTableName(const TableName& imagesTable) {
  return NameWithin30(imagesTable.Text(), "_words", imagesTable.Text());
}

std::string WordsTableStatement(const TableName& imagesTable, const SqlDialect& dialect) {
  std::string sql = "create table ";
  sql += WordsTableName(imagesTable).Text();
  sql += " (Folder varchar(255) not null,FileName varchar(255) not null,Words ";
  sql += dialect.longTextType;
  sql += ",primary key(Folder,FileName),foreign key(Folder,FileName) references ";
  sql += imagesTable.Text();
  sql += "(Folder,FileName)";
  sql += dialect.keyFollowsRow;
  sql += ");";
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
