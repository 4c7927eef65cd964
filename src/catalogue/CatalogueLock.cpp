#include "catalogue/CatalogueLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/FolderLockTable.h"
#include "catalogue/ScanStatements.h"

namespace tessarine {
namespace {

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
  char host[65] = {};
  ::gethostname(host, sizeof host - 1);
  return "host " + std::string(host) + ", process " + std::to_string(::getpid()) + ", since " + LastScanStamp();
}

std::optional<std::string> CatalogueLock::Take(CatalogueConnection& connection, const DataSource& source,
                                               const LockRequest& request, std::unique_ptr<CatalogueLock>& held,
                                               std::vector<std::string>& takenOver) {
  const std::string& server = connection.DbmsName();
  if (server == "PostgreSQL" || server == "MySQL" || server == "MariaDB") {
    return TakeFolderLocks(connection, source, request, held, takenOver);
  }
  if (server.find("SQLite") != std::string::npos) return TakeSqliteLock(connection, held);
  return std::nullopt;
}

}  // namespace tessarine
