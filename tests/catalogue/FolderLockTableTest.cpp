// Locks on folder trees kept in the database: an overlapping tree is refused and named, a
// disjoint one granted; the holder's heartbeat keeps its lock past the stale time, and a lock whose
// heartbeat stopped is taken over, its holder told it lost it.

#include "catalogue/FolderLockTable.h"

#include <chrono>
#include <thread>

#include "catalogue/CatalogueConnection.h"
#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

using FolderLocksOn = DatabaseFixture;
TESSARINE_ON_EVERY_DATABASE(FolderLocksOn);

constexpr int kStaleSeconds = 4;

TEST_P(FolderLocksOn, AnOverlappingTreeIsRefusedUntilItsHolderFallsSilent) {
  if (Db().kind == DbmsKind::Sqlite) GTEST_SKIP() << "the embedded catalogue is locked whole, by a file";
  const std::string images = Table("Held");
  Open();
  ASSERT_FALSE(connection.TakeCatalogueLock(LockRequest{images, {"/photos/a/"}, kStaleSeconds}));

  const struct {
    std::vector<std::string> folders;
    bool refused;
  } requests[] = {
      {{"/photos/a/b/"}, true},  {{"/photos/"}, true},   {{}, true},
      {{"/photos/ab/"}, false},  {{"/other/", "/photos/a/c/"}, true},
  };
  for (const auto& request : requests) {
    CatalogueConnection other;
    other.OpenConnection(Db().userDsn);
    const std::optional<std::string> holder = other.TakeCatalogueLock(LockRequest{images, request.folders, kStaleSeconds});
    EXPECT_EQ(holder.has_value(), request.refused) << testing::PrintToString(request.folders);
    if (holder) {
      EXPECT_TRUE(holder->starts_with("folder /photos/a/: host ")) << *holder;
    }
  }

  // Past the stale time, the heartbeat has kept the lock.
  std::this_thread::sleep_for(std::chrono::seconds(kStaleSeconds + 2));
  CatalogueConnection other;
  other.OpenConnection(Db().userDsn);
  ASSERT_TRUE(other.TakeCatalogueLock(LockRequest{images, {"/photos/a/"}, kStaleSeconds}));
  EXPECT_FALSE(connection.LockLost());

  // A heartbeat that stopped long ago: the lock is taken over, and its holder learns it.
  other.SendStatement(std::string("update ") + kFolderLockTable + " set heartbeat = heartbeat - 1000 where catalogue = '" +
                      images + "';");
  EXPECT_FALSE(other.TakeCatalogueLock(LockRequest{images, {"/photos/"}, kStaleSeconds}));
  ASSERT_EQ(other.LockTakeovers().size(), 1U);
  EXPECT_TRUE(other.LockTakeovers()[0].starts_with("folder /photos/a/: host ")) << other.LockTakeovers()[0];
  for (int waited = 0; waited < 4 * kStaleSeconds && !connection.LockLost(); ++waited) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  EXPECT_TRUE(connection.LockLost());

  // Given back at the close: the whole catalogue is free again.
  other.CloseConnection();
  connection.CloseConnection();
  Open();
  EXPECT_FALSE(connection.TakeCatalogueLock(LockRequest{images, {}, kStaleSeconds}));
}

}  // namespace
}  // namespace tessarine::test
