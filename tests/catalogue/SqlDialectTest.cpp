#include "catalogue/SqlDialect.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

// What each kind of server is sent; nullopt means no transaction statement at all.
struct DialectRow {
  DbmsKind kind;
  std::string_view caption;
  std::string_view testQuery;
  std::string_view firstRows;  // for the table "my.Images", named verbatim
  std::optional<std::string_view> transactionStart;
  std::optional<std::string_view> transactionEnd;
  std::string_view longTextType;
  std::string_view modifyTimeType;
};

TEST(SqlDialect, EachKindHasItsOwnCaptionQueriesTransactionWordsAndTypes) {
  const DialectRow rows[] = {
      {DbmsKind::MySqlPostgreSqlEtc, "MySQL, PostgreSQL, etc.", "select 1;", "select * from my.Images limit 20;",
       "start transaction;", "commit;", "text", "bigint"},
      {DbmsKind::Oracle, "Oracle", "select 1 from dual;", "select * from my.Images where rownum <= 20;", std::nullopt,
       std::nullopt, "varchar(2000)", "integer"},
      {DbmsKind::SqlServer, "SQL Server", "select 1;", "select top 20 * from my.Images;", "begin transaction;",
       "commit;", "text", "bigint"},
      // SQLite rejects "start transaction;".
      {DbmsKind::Sqlite, "SQLite (embedded)", "select 1;", "select * from my.Images limit 20;", "begin transaction;",
       "commit;", "text", "bigint"},
  };
  for (const DialectRow& row : rows) {
    SCOPED_TRACE(row.caption);
    const SqlDialect& d = SqlDialectFor(row.kind);
    EXPECT_EQ(DbmsCaption(row.kind), row.caption);
    EXPECT_EQ(d.TestQuery(), row.testQuery);
    EXPECT_EQ(d.FirstRowsQuery("my.Images"), row.firstRows);
    EXPECT_EQ(d.transactionStart, row.transactionStart);
    EXPECT_EQ(d.transactionEnd, row.transactionEnd);
    EXPECT_EQ(d.longTextType, row.longTextType);
    EXPECT_EQ(d.modifyTimeType, row.modifyTimeType);
  }
}

}  // namespace
}  // namespace tessarine
