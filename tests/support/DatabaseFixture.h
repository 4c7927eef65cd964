#pragma once
// A test fixture run once per real database (SQLite, PostgreSQL, MariaDB): the tests are written
// once and each database gets its own instance.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/Settings.h"
#include "support/RecordingUserPort.h"
#include "TestDatabase.h"

namespace tessarine::test {

class DatabaseFixture : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    m_db = FindTestDatabase(GetParam(), m_folder);
    if (!m_db.why.empty()) {
      if (ServersRequired()) FAIL() << m_db.why;
      GTEST_SKIP() << m_db.why;
    }
  }

  void TearDown() override {
    if (m_tables.empty()) return;
    CatalogueConnection cleanup;
    try {
      cleanup.OpenConnection(m_db.userDsn);
    } catch (const Error&) {
      return;
    }
    for (const std::string& table : m_tables) {
      // An images table's words table first: its key points at the images table.
      const std::optional<TableName> name = TableName::Of(table);
      for (const std::string& drop : {name ? WordsTableName(*name).Text() : table, table}) {
        try {
          cleanup.SendStatement("drop table " + drop + ";");
        } catch (const DatabaseError&) {
          // already gone, or never made
        }
      }
    }
  }

  const TestDatabase& Db() const { return m_db; }
  // Settings that name this database's user data source and kind.
  Settings SettingsOfDb() const {
    Settings settings;
    settings.dsn = m_db.userDsn.dsn;
    settings.login = m_db.userDsn.login;
    settings.password = m_db.userDsn.password;
    settings.dbms = m_db.kind;
    return settings;
  }
  const SqlDialect& Dialect() const { return SqlDialectFor(m_db.kind); }

  // Opens the shared test connection on the user data source; the test stops when it fails.
  CatalogueConnection& Open() {
    try {
      connection.OpenConnection(m_db.userDsn);
    } catch (const Error& error) {
      ADD_FAILURE() << error.what();
    }
    return connection;
  }

  // Opens the source on the shared connection; the error it threw, if any.
  std::optional<Error> OpenError(const DataSource& source) {
    try {
      connection.OpenConnection(source);
      return std::nullopt;
    } catch (const Error& error) {
      return error;
    }
  }

  // A table name of this test, dropped at the end.
  std::string Table(const std::string& stem) {
    m_tables.push_back(UniqueTableName(stem));
    return m_tables.back();
  }

  std::string DescribeMessages() const {
    std::string all;
    for (const auto& m : port.messages) all += m.text + "\n";
    return all;
  }

  TempDir m_folder;
  RecordingUserPort port;
  CatalogueConnection connection;

 private:
  TestDatabase m_db;
  std::vector<std::string> m_tables;
};

// Instantiates a fixture for every real database.
#define TESSARINE_ON_EVERY_DATABASE(fixture)                                                   \
  INSTANTIATE_TEST_SUITE_P(Db, fixture, ::testing::ValuesIn(::tessarine::test::TestDatabaseNames()), \
                           [](const auto& p) { return p.param; })

}  // namespace tessarine::test
