#include "db/SqlDialect.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(SqlDialect, MySqlPostgreSqlEtcUsesLimitAndStartTransaction) {
  const SqlDialect& d = SqlDialectFor(DbmsKind::MySqlPostgreSqlEtc);
  EXPECT_EQ(d.TestQuery(), "select 1;");
  EXPECT_EQ(d.FirstRowsQuery("Images"), "select * from Images limit 20;");
  EXPECT_EQ(d.transactionStart, "start transaction;");
  EXPECT_EQ(d.transactionEnd, "commit;");
  EXPECT_EQ(d.longTextType, "text");
  EXPECT_EQ(d.modifyTimeType, "bigint");
}

TEST(SqlDialect, OracleSelectsFromDualAndSendsNoTransactionWords) {
  const SqlDialect& d = SqlDialectFor(DbmsKind::Oracle);
  EXPECT_EQ(d.TestQuery(), "select 1 from dual;");
  EXPECT_EQ(d.FirstRowsQuery("Images"), "select * from Images where rownum <= 20;");
  EXPECT_FALSE(d.transactionStart.has_value());
  EXPECT_FALSE(d.transactionEnd.has_value());
  EXPECT_EQ(d.longTextType, "varchar(2000)");
  EXPECT_EQ(d.modifyTimeType, "integer");
}

TEST(SqlDialect, SqlServerUsesTopAndBeginTransaction) {
  const SqlDialect& d = SqlDialectFor(DbmsKind::SqlServer);
  EXPECT_EQ(d.TestQuery(), "select 1;");
  EXPECT_EQ(d.FirstRowsQuery("Pictures"), "select top 20 * from Pictures;");
  EXPECT_EQ(d.transactionStart, "begin transaction;");
  EXPECT_EQ(d.transactionEnd, "commit;");
  EXPECT_EQ(d.longTextType, "text");
  EXPECT_EQ(d.modifyTimeType, "bigint");
}

TEST(SqlDialect, SqliteBeginsTransactionsItAccepts) {
  const SqlDialect& d = SqlDialectFor(DbmsKind::Sqlite);
  EXPECT_EQ(d.TestQuery(), "select 1;");
  EXPECT_EQ(d.FirstRowsQuery("Images"), "select * from Images limit 20;");
  EXPECT_EQ(d.transactionStart, "begin transaction;");
  EXPECT_EQ(d.transactionEnd, "commit;");
  EXPECT_EQ(d.longTextType, "text");
  EXPECT_EQ(d.modifyTimeType, "bigint");
}

TEST(SqlDialect, InsertsTheTableNameVerbatim) {
  EXPECT_EQ(SqlDialectFor(DbmsKind::MySqlPostgreSqlEtc).FirstRowsQuery("my.Images"),
            "select * from my.Images limit 20;");
}

TEST(SqlDialect, EveryStatementItemEndsWithASemicolon) {
  for (DbmsKind kind : {DbmsKind::MySqlPostgreSqlEtc, DbmsKind::Oracle, DbmsKind::SqlServer, DbmsKind::Sqlite}) {
    const SqlDialect& d = SqlDialectFor(kind);
    EXPECT_TRUE(d.TestQuery().ends_with(';'));
    EXPECT_TRUE(d.FirstRowsQuery("T").ends_with(';'));
    if (d.transactionStart) {
      EXPECT_TRUE(d.transactionStart->ends_with(';'));
    }
    if (d.transactionEnd) {
      EXPECT_TRUE(d.transactionEnd->ends_with(';'));
    }
  }
}

TEST(SqlDialect, CaptionsNameEachKind) {
  EXPECT_EQ(DbmsCaption(DbmsKind::MySqlPostgreSqlEtc), "MySQL, PostgreSQL, etc.");
  EXPECT_EQ(DbmsCaption(DbmsKind::Oracle), "Oracle");
  EXPECT_EQ(DbmsCaption(DbmsKind::SqlServer), "SQL Server");
  EXPECT_EQ(DbmsCaption(DbmsKind::Sqlite), "SQLite (embedded)");
}

}  // namespace
}  // namespace tessarine
