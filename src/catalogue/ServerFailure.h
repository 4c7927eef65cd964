#pragma once
// What a refused statement means for the work around it: only that statement failed, the server
// rolled back the whole transaction, or the connection is gone.

#include "catalogue/CatalogueConnection.h"
#include "core/DatabaseError.h"

namespace tessarine {

enum class FailureScope {
  Statement,    // the statement alone failed; the transaction and the connection go on
  Transaction,  // the server rolled the transaction back (a deadlock, a conflict with another node)
  Connection,   // the connection is lost or the server did not answer in time
  Storage,      // the database's disk (or table space) is full: every further write fails alike
  Busy,         // another program held the embedded database's lock past the driver's wait
};

FailureScope ScopeOf(const DatabaseError& error, const CatalogueConnection& connection);

// True for servers on which any failed statement spoils the open transaction until it is rolled
// back (PostgreSQL): there each row is written under a savepoint of its own.
bool FailedStatementSpoilsTransaction(const CatalogueConnection& connection);

// True for the databases that take "savepoint", "rollback to savepoint" and "release savepoint" as
// written (PostgreSQL, SQLite, MariaDB, MySQL): a row written in several statements is undone whole
// there when one of them is refused.
bool TakesSavepoints(const CatalogueConnection& connection);

}  // namespace tessarine
