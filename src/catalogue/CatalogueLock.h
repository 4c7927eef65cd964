#pragma once
// One scan or check at a time per folder tree of a catalogue. On PostgreSQL, MariaDB and MySQL the
// locks are rows of a table in the database (FolderLockTable), seen by every session and every
// node of a cluster; on SQLite an exclusive lock on a file beside the database covers the whole
// catalogue. Another kind of server has no lock (nothing is refused).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ConnectString.h"
#include "core/Settings.h"

namespace tessarine {

class CatalogueConnection;

// What an operation locks: folder trees of the images table's catalogue, as folder key texts
// (with their trailing "/"); none is the whole catalogue.
struct LockRequest {
  std::string imagesTable;
  std::vector<std::string> folders;
  int staleSeconds = kDefaultStaleLockSeconds;
};

class CatalogueLock {
 public:
  // Takes the request's lock on the connection. Returns who holds it when someone else does,
  // nothing when it is ours now. `source` opens the connection that keeps a lock's heartbeat;
  // locks of silent holders taken over are appended to `takenOver`. Throws DatabaseError when the
  // server refuses the lock's statements.
  static std::optional<std::string> Take(CatalogueConnection& connection, const DataSource& source,
                                         const LockRequest& request, std::unique_ptr<CatalogueLock>& held,
                                         std::vector<std::string>& takenOver);
  virtual ~CatalogueLock() = default;
  // Gives the lock back before the connection closes, so that the next operation finds it free.
  // Errors are ignored: a lock not given back is taken over once it is stale.
  virtual void Release(CatalogueConnection& /*connection*/) noexcept {}
  // True once another operation took the lock over (this holder was silent too long).
  virtual bool Lost() const { return false; }

 protected:
  CatalogueLock() = default;
};

// What a holder says about itself: "host <name>, process <pid>, since <yyyy-mm-dd hh:mm:ss>", the
// host name cut to 64 bytes.
std::string LockHolderText();

}  // namespace tessarine
