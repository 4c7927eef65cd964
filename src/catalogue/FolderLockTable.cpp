#include "catalogue/FolderLockTable.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <stop_token>
#include <thread>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/ServerFailure.h"
#include "core/DatabaseError.h"

namespace tessarine {
namespace {

// Two takers refused by each other's commit (a cluster's certification) try again this often.
constexpr int kTakeAttempts = 8;
// The heartbeat connection's statements wait no longer than this.
constexpr unsigned long kHeartbeatTimeoutSeconds = 30;

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

// FNV-1a: the same key for the same folder of the same catalogue in every process and version.
std::string LockId(const std::string& catalogue, const std::string& folder) {
  std::uint64_t hash = 14695981039346656037ULL;
  auto add = [&hash](unsigned char c) {
    hash ^= c;
    hash *= 1099511628211ULL;
  };
  for (unsigned char c : catalogue) add(c);
  add(0);
  for (unsigned char c : folder) add(c);
  return Hex(hash);
}

// The catalogue's guard row, which every taker changes first; its folder is NULL.
std::string GuardId(const std::string& catalogue) { return LockId(catalogue, "\x01guard"); }

// Tells this take's rows from any other, even one of the same process in the same second.
std::string NewToken() {
  std::random_device random;
  const std::uint64_t value = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  return Hex(value ^ static_cast<std::uint64_t>(::getpid()));
}

// The server's clock in whole seconds: every holder's heartbeat is measured by the same clock.
std::string NowExpression(const CatalogueConnection& connection) {
  if (connection.DbmsName() == "PostgreSQL") return "cast(extract(epoch from current_timestamp) as bigint)";
  return "unix_timestamp()";
}

std::string TransactionStart(const CatalogueConnection& connection) {
  return connection.DbmsName() == "PostgreSQL" ? "begin;" : "start transaction;";
}

void RollbackIgnoringErrors(CatalogueConnection& connection) noexcept {
  try {
    connection.Send(SqlStatement("rollback;"));
  } catch (...) {
    // The server ended the transaction itself, or the connection is gone.
  }
}

// Makes the table when it is missing and the catalogue's guard row when it has none.
void PrepareTable(CatalogueConnection& connection, const std::string& catalogue) {
  const std::string guard = GuardId(catalogue);
  std::optional<std::string> found;
  try {
    found = connection.FirstValue(
        SqlStatement(std::string("select lock_id from ") + kFolderLockTable + " where lock_id = ?;").Bind(guard));
  } catch (const DatabaseError&) {
    try {
      connection.Send(FolderLockTableStatement());
    } catch (const DatabaseError& error) {
      throw DatabaseError(error.NativeError(), error.SqlState(),
                          std::string("The lock table ") + kFolderLockTable + " cannot be created (" +
                              error.Description() + "): ask the database's administrator to run " +
                              FolderLockTableStatement());
    }
  }
  if (found) return;
  try {
    connection.Send(SqlStatement(std::string("insert into ") + kFolderLockTable +
                                 " (lock_id, catalogue, folder, holder, token, heartbeat, generation) "
                                 "values (?, ?, null, '', '', 0, 0);")
                        .Bind(guard)
                        .Bind(catalogue));
  } catch (const DatabaseError&) {
    // Another taker inserted it a moment ago; the transaction below finds it.
  }
}

// The requested folders without those inside another one; the whole catalogue is "".
std::vector<std::string> TopFolders(const std::vector<std::string>& requested) {
  if (requested.empty()) return {""};
  std::vector<std::string> sorted = requested;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> top;
  for (const std::string& folder : sorted) {
    if (folder.empty()) return {""};
    if (top.empty() || !FolderLocksOverlap(top.back(), folder)) top.push_back(folder);
  }
  return top;
}

std::string Described(const std::string& folder, const std::string& holder) {
  return (folder.empty() ? std::string("the whole catalogue") : "folder " + folder) + ": " + holder;
}

struct StoredLock {
  std::string id;
  std::string folder;
  std::string holder;
  long long age = 0;
};

// Renews the heartbeat of its take's rows on a connection of its own until released.
class TableLock final : public CatalogueLock {
 public:
  TableLock(const DataSource& source, std::string token, std::string now, int staleSeconds)
      : m_source(source), m_token(std::move(token)), m_now(std::move(now)),
        m_interval(std::max(1, staleSeconds / 4)), m_heartbeat(kHeartbeatTimeoutSeconds),
        m_thread([this](std::stop_token stop) { Renew(stop); }) {}
  ~TableLock() override { GiveBack(nullptr); }
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  void Release(CatalogueConnection& connection) noexcept override { GiveBack(&connection); }
  bool Lost() const override { return m_lost; }

 private:
  void Renew(const std::stop_token& stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    while (!wake.wait_for(lock, stop, m_interval, [] { return false; }) && !stop.stop_requested()) {
      try {
        if (!m_heartbeat.IsOpen()) m_heartbeat.OpenConnection(m_source);
        m_heartbeat.Send(SqlStatement(std::string("update ") + kFolderLockTable + " set heartbeat = " + m_now +
                                      ", generation = generation + 1 where token = ?;")
                             .Bind(m_token));
        // No row left: a taker found this holder silent and took the folders over.
        if (m_heartbeat.ChangedRows() == 0) {
          m_lost = true;
          return;
        }
      } catch (const DatabaseError&) {
        m_heartbeat.CloseConnection();  // opened again at the next beat
      }
    }
  }

  void GiveBack(CatalogueConnection* connection) noexcept {
    if (m_released) return;
    m_released = true;
    m_thread.request_stop();
    if (m_thread.joinable()) m_thread.join();
    const SqlStatement remove =
        SqlStatement(std::string("delete from ") + kFolderLockTable + " where token = ?;").Bind(m_token);
    bool removed = false;
    if (connection != nullptr && connection->IsOpen()) {
      try {
        connection->Send(remove);
        removed = true;
      } catch (...) {
        // Tried on the lock's own connection.
      }
    }
    if (!removed) {
      try {
        if (!m_heartbeat.IsOpen()) m_heartbeat.OpenConnection(m_source);
        m_heartbeat.Send(remove);
      } catch (...) {
        // Left to go stale: the next taker takes the folders over.
      }
    }
    m_heartbeat.CloseConnection();
  }

  DataSource m_source;
  std::string m_token;
  std::string m_now;
  std::chrono::seconds m_interval;
  CatalogueConnection m_heartbeat;
  std::atomic<bool> m_lost = false;
  bool m_released = false;
  std::jthread m_thread;  // last: started once the members it uses are made
};

}  // namespace

std::string FolderLockTableStatement() {
  return std::string("create table ") + kFolderLockTable +
         " (lock_id varchar(16) not null primary key, catalogue varchar(255) not null, folder text, "
         "holder varchar(255) not null, token varchar(16) not null, heartbeat bigint not null, "
         "generation bigint not null);";
}

bool FolderLocksOverlap(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return true;
  return a.starts_with(b) || b.starts_with(a);
}

std::optional<std::string> TakeFolderLocks(CatalogueConnection& connection, const DataSource& source,
                                           const LockRequest& request, std::unique_ptr<CatalogueLock>& held,
                                           std::vector<std::string>& takenOver) {
  const std::string& catalogue = request.imagesTable;
  PrepareTable(connection, catalogue);
  const std::vector<std::string> folders = TopFolders(request.folders);
  const std::string now = NowExpression(connection);
  const std::string holder = LockHolderText();
  const std::string token = NewToken();
  const std::string table = kFolderLockTable;
  for (int attempt = 1;; ++attempt) {
    std::vector<std::string> silent;
    try {
      connection.Send(SqlStatement(TransactionStart(connection)));
      connection.Send(SqlStatement("update " + table + " set generation = generation + 1 where lock_id = ?;")
                          .Bind(GuardId(catalogue)));
      std::vector<StoredLock> stored;
      auto rows = connection.ExecuteStatement(
          SqlStatement("select lock_id, folder, holder, " + now + " - heartbeat from " + table +
                       " where catalogue = ? and folder is not null for update;")
              .Bind(catalogue),
          CursorChoice::ForwardOnly);
      for (; rows && !rows->IsEof(); rows->MoveNext()) {
        StoredLock lock{rows->FieldValue(0).value_or(""), rows->FieldValue(1).value_or(""),
                        rows->FieldValue(2).value_or(""), 0};
        const std::string age = rows->FieldValue(3).value_or("0");
        std::from_chars(age.data(), age.data() + age.size(), lock.age);
        stored.push_back(std::move(lock));
      }
      rows.reset();
      for (const StoredLock& lock : stored) {
        const bool overlaps = std::any_of(folders.begin(), folders.end(),
                                          [&](const std::string& f) { return FolderLocksOverlap(f, lock.folder); });
        if (!overlaps) continue;
        if (lock.age <= request.staleSeconds) {
          RollbackIgnoringErrors(connection);
          return Described(lock.folder, lock.holder);
        }
        connection.Send(SqlStatement("delete from " + table + " where lock_id = ?;").Bind(lock.id));
        silent.push_back(Described(lock.folder, lock.holder) + ", silent for " + std::to_string(lock.age) + " s");
      }
      for (const std::string& folder : folders) {
        connection.Send(SqlStatement("insert into " + table +
                                     " (lock_id, catalogue, folder, holder, token, heartbeat, generation) "
                                     "values (?, ?, ?, ?, ?, " +
                                     now + ", 0);")
                            .Bind(LockId(catalogue, folder))
                            .Bind(catalogue)
                            .Bind(folder)
                            .Bind(holder)
                            .Bind(token));
      }
      connection.Send(SqlStatement("commit;"));
    } catch (const DatabaseError& error) {
      const bool retry = ScopeOf(error, connection) == FailureScope::Transaction && attempt < kTakeAttempts;
      RollbackIgnoringErrors(connection);
      if (!retry) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
      continue;
    }
    takenOver.insert(takenOver.end(), silent.begin(), silent.end());
    held = std::make_unique<TableLock>(source, token, now, request.staleSeconds);
    return std::nullopt;
  }
}

}  // namespace tessarine
