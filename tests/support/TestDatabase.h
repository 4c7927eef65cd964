#pragma once
// The real databases the tests run against. SQLite (through its ODBC driver, on a temporary file
// data source) is always there; PostgreSQL and MariaDB are started by scripts/start-test-databases.sh,
// which exports their data sources. Without them the tests skip, unless TESSARINE_REQUIRE_SERVERS=1
// (set by the test command in CI), where a missing server fails the test.

#include <string>
#include <vector>

#include "catalogue/ConnectString.h"
#include "core/DbmsKind.h"
#include "support/TempDir.h"

namespace tessarine::test {

struct TestDatabase {
  std::string name;  // "SQLite", "PostgreSQL", "MariaDB"
  DbmsKind kind;
  DataSource userDsn;  // a user data source (DSN=...)
  DataSource fileDsn;  // the same database as a file data source (FileDSN=...)
  // The user data source with a second user whose password holds ";", "{", "}" and "=" (servers
  // only; empty login when the environment does not name one).
  DataSource punctUserDsn;
  std::string why;     // why it is unavailable, empty when it is there
};

// The database of the given name; SQLite lives in the given folder. When a server's environment is
// missing, `why` says what is missing.
TestDatabase FindTestDatabase(const std::string& name, const TempDir& folder);

// The names of every database a test runs on.
std::vector<std::string> TestDatabaseNames();

// The value of the environment variable, "" when it is not set.
std::string Environment(const std::string& name);

// True when a missing server must fail the test instead of skipping it.
bool ServersRequired();

// A table name no other test process uses at the same time.
std::string UniqueTableName(const std::string& stem);

}  // namespace tessarine::test
