#pragma once
// Locks on folder trees of a catalogue kept as rows of a table in the catalogue's own database, so
// that every session of the server sees them, on every node of a cluster that replicates the
// database (a lock of the server's session is seen by its own node only). One row per locked
// folder holds its holder and a heartbeat that a thread of the holder renews on a connection of
// its own; a lock whose heartbeat is older than the stale time (its holder crashed or lost its
// machine) is taken over. Taking runs in one transaction that first changes the catalogue's guard
// row: two takers on one server wait for each other, and on a cluster one of them is refused at
// its commit and tries again, so two overlapping locks are never both granted.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueLock.h"
#include "catalogue/ConnectString.h"

namespace tessarine {

class CatalogueConnection;

// The table's name; one table serves every catalogue of the database.
inline constexpr const char* kFolderLockTable = "tessarine_locks";

// The statement that makes the table, for a user whose login may not create it.
std::string FolderLockTableStatement();

// Takes the request's folders (none: the whole catalogue) for the connection's session. Returns
// who holds an overlapping lock ("folder <text>: <holder>"), or nothing when the folders are ours
// now; `held` then keeps them, renewed on a connection of its own opened from `source`, until it
// is released or destroyed. Locks of silent holders that were taken over are appended to
// `takenOver` ("folder <text>: <holder>, silent for N s"). Throws DatabaseError.
std::optional<std::string> TakeFolderLocks(CatalogueConnection& connection, const DataSource& source,
                                           const LockRequest& request, std::unique_ptr<CatalogueLock>& held,
                                           std::vector<std::string>& takenOver);

// True when two folder key texts overlap: one contains the other, or either is the whole
// catalogue (an empty text).
bool FolderLocksOverlap(const std::string& a, const std::string& b);

}  // namespace tessarine
