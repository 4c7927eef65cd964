#include "catalogue/CatalogueLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/ScanStatements.h"

namespace tessarine {
namespace {

// FNV-1a: the same 63-bit key for the same catalogue in every process and every version.
std::int64_t LockKey(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return static_cast<std::int64_t>(hash >> 1);
}

std::string FirstValue(CatalogueConnection& connection, const SqlStatement& query) {
  return connection.FirstValue(query).value_or("");
}

// A lock that lives as long as the server session, given back by a statement of its own.
class SessionLock final : public CatalogueLock {
 public:
  explicit SessionLock(SqlStatement release) : m_release(std::move(release)) {}
  void Release(CatalogueConnection& connection) noexcept override {
    try {
      connection.FirstValue(m_release);
    } catch (...) {
      // The session's end gives it back.
    }
  }

 private:
  SqlStatement m_release;
};

// An exclusive lock on "<database>.tessarine-lock", released when the file is closed (or the
// process ends); the file holds what its holder said about itself.
class FileLock final : public CatalogueLock {
 public:
  explicit FileLock(int fd) : m_fd(fd) {}
  ~FileLock() override { ::close(m_fd); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int m_fd;
};

std::optional<std::string> TakePostgreSqlLock(CatalogueConnection& connection, std::int64_t key) {
  // The holder names itself in its session's application name, which every session can read.
  FirstValue(connection, SqlStatement("select set_config('application_name', ?, false);")
                             .Bind("Tessarine PRO: " + LockHolderText()));
  if (FirstValue(connection, SqlStatement("select case when pg_try_advisory_lock(?) then 1 else 0 end;")
                                 .BindInteger(std::to_string(key))) == "1") {
    return std::nullopt;
  }
  const std::string holder = FirstValue(
      connection,
      SqlStatement("select a.application_name from pg_locks l join pg_stat_activity a on a.pid = l.pid "
                   "where l.locktype = 'advisory' and l.granted and l.objsubid = 1 "
                   "and l.classid::bigint = ? and l.objid::bigint = ?;")
          .BindInteger(std::to_string(static_cast<std::uint64_t>(key) >> 32))
          .BindInteger(std::to_string(static_cast<std::uint64_t>(key) & 0xFFFFFFFFULL)));
  return holder.empty() ? "another session" : holder;
}

std::optional<std::string> TakeMySqlLock(CatalogueConnection& connection, const std::string& imagesTable,
                                         std::string& name) {
  // The server's locks are shared by all its databases: the name says which catalogue.
  const std::string database = FirstValue(connection, SqlStatement("select database();"));
  name = "tessarine-" + std::to_string(LockKey(database + "." + imagesTable));
  if (FirstValue(connection, SqlStatement("select get_lock(?, 0);").Bind(name)) == "1") return std::nullopt;
  // The server tells only the holder's connection and where it connects from.
  auto rows = connection.ExecuteStatement(
      SqlStatement("select p.id, p.host from information_schema.processlist p where p.id = is_used_lock(?);")
          .Bind(name),
      CursorChoice::ForwardOnly);
  if (!rows || rows->IsEof()) return std::string("another session");
  return "connection " + rows->FieldValue(0).value_or("?") + " from " + rows->FieldValue(1).value_or("?");
}

std::optional<std::string> TakeSqliteLock(CatalogueConnection& connection, std::unique_ptr<CatalogueLock>& held) {
  std::string database;
  auto rows = connection.ExecuteStatement("pragma database_list;", CursorChoice::ForwardOnly);
  for (; rows && !rows->IsEof(); rows->MoveNext()) {
    if (rows->FieldValue(1) == "main") database = rows->FieldValue(2).value_or("");
  }
  rows.reset();
  if (database.empty()) return std::nullopt;  // an in-memory database: no one else can reach it
  const std::string path = database + ".tessarine-lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    // A folder the user cannot write to: no one can change the database either. Anything else at
    // the lock's place (a link planted there) must not let two scans run at once.
    if (errno == EACCES || errno == EROFS || errno == EPERM) return std::nullopt;
    return "the lock file " + path + " cannot be used (" + std::strerror(errno) + "): remove what is there";
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    char text[512] = {};
    const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string("another process");
  }
  const std::string holder = LockHolderText();
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, holder.data(), holder.size(), 0);
  }
  held = std::make_unique<FileLock>(fd);
  return std::nullopt;
}

}  // namespace

std::string LockHolderText() {
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  return "host " + std::string(host) + ", process " + std::to_string(::getpid()) + ", since " + LastScanStamp();
}

std::optional<std::string> CatalogueLock::Take(CatalogueConnection& connection, const std::string& imagesTable,
                                               std::unique_ptr<CatalogueLock>& held) {
  const std::string& server = connection.DbmsName();
  if (server == "PostgreSQL") {
    // Advisory locks belong to the database the session is in.
    const std::int64_t key = LockKey("Tessarine PRO catalogue " + imagesTable);
    if (auto holder = TakePostgreSqlLock(connection, key)) return holder;
    held = std::make_unique<SessionLock>(
        SqlStatement("select pg_advisory_unlock(?);").BindInteger(std::to_string(key)));
  } else if (server == "MySQL" || server == "MariaDB") {
    std::string name;
    if (auto holder = TakeMySqlLock(connection, imagesTable, name)) return holder;
    held = std::make_unique<SessionLock>(SqlStatement("select release_lock(?);").Bind(name));
  } else if (server.find("SQLite") != std::string::npos) {
    return TakeSqliteLock(connection, held);
  }
  return std::nullopt;
}

}  // namespace tessarine
