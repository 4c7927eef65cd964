#pragma once
// One scan or check at a time per catalogue: a lock the database itself keeps for the session
// that took it, so that it goes with the session however the holder ends (a crash, a lost
// connection). PostgreSQL: an advisory lock; MariaDB and MySQL: GET_LOCK; SQLite: an exclusive
// lock on a file beside the database. Another kind of server has no lock (nothing is refused).

#include <memory>
#include <optional>
#include <string>

namespace tessarine {

class CatalogueConnection;

class CatalogueLock {
 public:
  // Takes the lock of the images table's catalogue on the connection. Returns who holds it when
  // someone else does ("host ..., process ..., since ..."), nothing when it is ours now. Throws
  // DatabaseError when the server refuses the lock's statements.
  static std::optional<std::string> Take(CatalogueConnection& connection, const std::string& imagesTable,
                                         std::unique_ptr<CatalogueLock>& held);
  virtual ~CatalogueLock() = default;
  // Gives the lock back on the connection that still answers, before it closes: a server ends the
  // closed session a moment later, and the next operation (delete the lines, then the files)
  // would find the lock still taken. Errors are ignored; the session's end releases it anyway.
  virtual void Release(CatalogueConnection& /*connection*/) noexcept {}

 protected:
  CatalogueLock() = default;
};

// What a holder says about itself: "host <name>, process <pid>, since <yyyy-mm-dd hh:mm:ss>".
std::string LockHolderText();

}  // namespace tessarine
