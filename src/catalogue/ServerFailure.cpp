#include "catalogue/ServerFailure.h"

namespace tessarine {

FailureScope ScopeOf(const DatabaseError& error, const CatalogueConnection& connection) {
  const std::string& state = error.SqlState();
  // Class 08 is a connection exception; HYT00/HYT01 are time-outs, after which the server may still
  // be working on the statement.
  if (state.starts_with("08") || state == "HYT00" || state == "HYT01") return FailureScope::Connection;
  // MariaDB's client errors "server has gone away" and "lost connection" come as HY000.
  const long native = error.NativeError();
  if (native == 2006 || native == 2013 || native == 2055) return FailureScope::Connection;
  if (!connection.IsAlive()) return FailureScope::Connection;
  // Disk full: SQLite's SQLITE_FULL, PostgreSQL's class 53 (insufficient resources), MariaDB's
  // "disk full" and "table is full".
  const bool sqlite = connection.DbmsName().find("SQLite") != std::string::npos;
  if ((sqlite && native == 13) || state == "53100" || native == 1021 || native == 1114) return FailureScope::Storage;
  // SQLITE_BUSY and SQLITE_LOCKED: a program outside the catalogue's lock (a reader left open, a
  // tool of the user's) holds the database.
  if (sqlite && (native == 5 || native == 6)) return FailureScope::Busy;
  // Class 40 is a transaction rollback (40001 serialization failure and deadlock, 40P01).
  if (state.starts_with("40") || native == 1213) return FailureScope::Transaction;
  return FailureScope::Statement;
}

bool FailedStatementSpoilsTransaction(const CatalogueConnection& connection) {
  return connection.DbmsName() == "PostgreSQL";
}

bool TakesSavepoints(const CatalogueConnection& connection) {
  const std::string& name = connection.DbmsName();
  return name == "PostgreSQL" || name == "SQLite" || name == "MariaDB" || name == "MySQL";
}

}  // namespace tessarine
