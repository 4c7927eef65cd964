#include "catalogue/SqlDialect.h"

namespace tessarine {
namespace {

constexpr SqlDialect kMySqlPostgreSqlEtc{
    "select 1;", "select * from ", " limit 20;", "start transaction;", "commit;", "text", "bigint",
    " limit ? offset ?", true, "", "", false, KeyLength::Characters, false, 65'535,
    " on delete cascade on update cascade", "", " limit ?", false, true, true, false};
constexpr SqlDialect kOracle{
    "select 1 from dual;", "select * from ", " where rownum <= 20;", std::nullopt, std::nullopt, "varchar(2000)",
    "integer", " offset ? rows fetch next ? rows only", false, "", "", false, KeyLength::InBytes, false, 2'000,
    " on delete cascade", "", " fetch first ? rows only", false, false, false, false};
constexpr SqlDialect kSqlServer{
    "select 1;", "select top 20 * from ", ";", "begin transaction;", "commit;", "text", "bigint",
    " offset ? rows fetch next ? rows only", false, "cast(", " as varchar(max))", false, KeyLength::InBytes,
    true, 65'535, " on delete cascade on update cascade", "top (?) ", "", false, false, false, false};
// SQLite rejects "start transaction;".
constexpr SqlDialect kSqlite{
    "select 1;", "select * from ", " limit 20;", "begin transaction;", "commit;", "text", "bigint",
    " limit ? offset ?", true, "", "", true, KeyLength::Unbounded, false, 65'535,
    " on delete cascade on update cascade", "", " limit ?", true, false, false, true};

}  // namespace

std::string SqlDialect::FirstRowsQuery(const TableName& imagesTable) const {
  std::string query(firstRowsPrefix);
  query += imagesTable.Text();
  query += firstRowsSuffix;
  return query;
}

std::string SqlDialect::Comparable(std::string_view column) const {
  std::string expression(comparableOpen);
  expression += column;
  expression += comparableClose;
  return expression;
}

const SqlDialect& SqlDialectFor(DbmsKind kind) {
  switch (kind) {
    case DbmsKind::Oracle:
      return kOracle;
    case DbmsKind::SqlServer:
      return kSqlServer;
    case DbmsKind::Sqlite:
      return kSqlite;
    case DbmsKind::MySqlPostgreSqlEtc:
      break;
  }
  return kMySqlPostgreSqlEtc;
}

std::string_view DbmsCaption(DbmsKind kind) {
  switch (kind) {
    case DbmsKind::Oracle:
      return "Oracle";
    case DbmsKind::SqlServer:
      return "SQL Server";
    case DbmsKind::Sqlite:
      return "SQLite (embedded)";
    case DbmsKind::MySqlPostgreSqlEtc:
      break;
  }
  return "MySQL, PostgreSQL, etc.";
}

}  // namespace tessarine
