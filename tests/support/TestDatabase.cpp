#include "TestDatabase.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace tessarine::test {

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

namespace {

// A server's data source from TESSARINE_<PREFIX>_DSN, _LOGIN, _PASSWORD and _FILEDSN.
TestDatabase ServerDatabase(const std::string& name, const std::string& prefix) {
  TestDatabase db{name, DbmsKind::MySqlPostgreSqlEtc, {}, {}, {}, {}};
  const std::string dsn = Environment(("TESSARINE_" + prefix + "_DSN").c_str());
  const std::string login = Environment(("TESSARINE_" + prefix + "_LOGIN").c_str());
  const std::string password = Environment(("TESSARINE_" + prefix + "_PASSWORD").c_str());
  const std::string fileDsn = Environment(("TESSARINE_" + prefix + "_FILEDSN").c_str());
  if (dsn.empty() || fileDsn.empty()) {
    db.why = name + " is not running: TESSARINE_" + prefix +
             "_DSN is not set (start it with scripts/start-test-databases.sh, or run scripts/test.sh)";
    return db;
  }
  db.userDsn = DataSource{dsn, false, login, password};
  db.fileDsn = DataSource{fileDsn, true, login, password};
  db.punctUserDsn = DataSource{dsn, false, Environment(("TESSARINE_" + prefix + "_PUNCT_LOGIN").c_str()),
                               Environment(("TESSARINE_" + prefix + "_PUNCT_PASSWORD").c_str())};
  return db;
}

// The driver manager reads the user data sources once per process, so the SQLite one lives in a
// process-wide folder, in an odbc.ini that also keeps the servers' entries. Set up before main().
struct ProcessDataSources {
  ProcessDataSources() {
    std::string ini = ReadFile(Environment("ODBCINI"));
    if (!ini.empty() && ini.back() != '\n') ini += '\n';
    ini += "[TessarineSqlite]\nDriver=SQLite3\nDatabase=" + (folder / "user.db").string() + "\n";
    WriteFile(folder / "odbc.ini", ini);
    ::setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
  }
  TempDir folder;
};
const ProcessDataSources g_processDataSources;

}  // namespace

TestDatabase FindTestDatabase(const std::string& name, const TempDir& folder) {
  if (name == "PostgreSQL") return ServerDatabase(name, "PGSQL");
  if (name == "MariaDB") return ServerDatabase(name, "MARIADB");

  // SQLite: a file data source naming the registered SQLite3 driver and a database in the folder.
  const auto dsnFile = folder / "catalogue.dsn";
  WriteFile(dsnFile, "[ODBC]\nDRIVER=SQLite3\nDatabase=" + (folder / "catalogue.db").string() + "\n");
  TestDatabase db{"SQLite", DbmsKind::Sqlite, {}, {}, {}, {}};
  db.fileDsn = DataSource{dsnFile.string(), true, "", ""};
  // The user data source is process-wide (see ProcessDataSources): tests name their tables apart.
  db.userDsn = DataSource{"TessarineSqlite", false, "", ""};
  return db;
}

std::vector<std::string> TestDatabaseNames() { return {"SQLite", "PostgreSQL", "MariaDB"}; }

bool ServersRequired() { return Environment("TESSARINE_REQUIRE_SERVERS") == "1"; }

std::string UniqueTableName(const std::string& stem) {
  static std::atomic<int> counter{0};
  return stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

}  // namespace tessarine::test

// The PostgreSQL ODBC driver leaks a few bytes per connection (its client-encoding name); that is
// the driver's, not ours, so the leak checker is told to let it pass.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbca.so\n"; }
