// The watch keeps the catalogue current: what changed before it started is caught up, files
// copied into a listed tree (and into a folder made meanwhile) get their rows and a removed file
// loses its row, with watches or by polling; a stop ends it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "CatalogueFixture.h"
#include "workflows/scan/CatalogueWatch.h"

namespace tessarine::test {
namespace {

class Watching : public CatalogueFixture {
 protected:
  void TearDown() override {
    if (m_thread.joinable()) Stop();
    CatalogueFixture::TearDown();
  }
  // Starts a watch on a connection and a port of its own; what it says is kept.
  void Start(bool pollOnly) {
    m_settings.watchPollSeconds = pollOnly ? 1 : 3600;  // watched: only the watches can deliver
    m_thread = std::thread([this, pollOnly] {
      CatalogueConnection own;
      RecordingUserPort ownPort;
      WatchHooks hooks;
      hooks.stopRequested = [this] { return m_stop.load(); };
      hooks.say = [this](const std::string& line) {
        const std::lock_guard lock(m_mutex);
        m_said.push_back(line);
      };
      CatalogueWatch watch(own, ownPort, m_settings, false, m_tree / "Tessarine PRO.ini", pollOnly, hooks);
      m_ended = watch.Run() ? "ok" : "failed";
    });
  }
  void Stop() {
    m_stop = true;
    m_thread.join();
  }
  // Waits (up to 20 s) until the images table holds `rows` rows; a read the watch's writing
  // refuses is tried again.
  ::testing::AssertionResult RowsBecome(const std::string& rows) {
    std::string seen;
    for (int tries = 0; tries < 100; ++tries) {
      try {
        seen = Count(m_settings.images);
      } catch (const DatabaseError& error) {
        seen = error.what();
        connection.CloseConnection();
      }
      if (seen == rows) return ::testing::AssertionSuccess();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const std::lock_guard lock(m_mutex);
    auto failure = ::testing::AssertionFailure() << seen << " rows, not " << rows << "; said:";
    for (const std::string& line : m_said) failure << "\n" << line;
    return failure;
  }

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<std::string> m_said;
  std::string m_ended;
};
INSTANTIATE_TEST_SUITE_P(Db, Watching, ::testing::Values("SQLite"), [](const auto& p) { return p.param; });

TEST_P(Watching, CopiedFilesGetRowsAndRemovedOnesLoseThem) {
  for (const bool pollOnly : {false, true}) {
    SCOPED_TRACE(pollOnly ? "polled" : "watched");
    m_stop = false;
    const std::filesystem::path tree = m_root / (pollOnly ? "polled" : "watched");
    std::filesystem::create_directories(tree);
    WriteFile(tree / "before.jpg", "x");
    AddAndLoad(tree);
    connection.CloseConnection();
    const std::string rows = pollOnly ? "30" : "0";  // the first tree's rows stay
    Start(pollOnly);
    ASSERT_TRUE(RowsBecome(pollOnly ? "31" : "1"));
    std::filesystem::create_directories(tree / "new");
    for (int i = 0; i < 30; ++i) WriteFile(tree / "new" / ("copy" + std::to_string(i) + ".jpg"), "x");
    EXPECT_TRUE(RowsBecome(std::to_string(std::stoi(rows) + 31)));
    std::filesystem::remove(tree / "before.jpg");
    EXPECT_TRUE(RowsBecome(std::to_string(std::stoi(rows) + 30)));
    Stop();
    EXPECT_EQ(m_ended, "ok");
    const std::lock_guard lock(m_mutex);
    ASSERT_FALSE(m_said.empty());
    EXPECT_EQ(m_said.back(), "Stopped watching.");
    m_said.clear();
  }
}

}  // namespace
}  // namespace tessarine::test
