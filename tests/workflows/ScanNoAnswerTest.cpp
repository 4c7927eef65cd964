// A scan whose database server stops answering in the middle of a folder ends with the time-out
// error instead of waiting for as long as the server is stopped. Servers only (see the catalogue's
// NoAnswerTest); a regression waits forever and the test harness's time-out catches it.

#include <gtest/gtest.h>

#include <optional>

#include "catalogue/OdbcCallThread.h"
#include "support/StoppedServer.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

using ScanNoAnswerOn = CatalogueFixture;
INSTANTIATE_TEST_SUITE_P(Db, ScanNoAnswerOn, ::testing::Values("PostgreSQL", "MariaDB"),
                         [](const auto& p) { return p.param; });

TEST_P(ScanNoAnswerOn, AServerThatStopsAnsweringEndsTheScanWithTheTimeOutError) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(m_root / name, "text");
  std::vector<FolderEntry> entries = AddAndLoad(m_root);
  ASSERT_EQ(entries.size(), 1u);
  entries[0].checked = true;
  port.messages.clear();

  // The server stops once the first file's row is stored.
  std::optional<StoppedServer> stopped;
  ScanHooks hooks;
  hooks.progress = [&](const ScanProgress&) {
    if (!stopped) stopped.emplace(GetParam());
  };
  CatalogueConnection waiting(3);
  const ScanResult result =
      ScanFolders(waiting, port, m_settings, false, m_tree / "Tessarine PRO.ini", entries, hooks);
  ASSERT_TRUE(stopped.has_value());
  EXPECT_EQ(stopped->Why(), "");
  stopped.reset();
  // The insert given up returns once the server answers again; the process must not end before.
  WaitForCallsGivenUp();

  const std::string noAnswer = "Error 0: The database did not answer within 3 seconds";
  ASSERT_FALSE(result.status);
  EXPECT_TRUE(result.status.Is(ErrorKind::Database));
  EXPECT_EQ(std::string(result.status.GetError().what()), noAnswer);
  EXPECT_FALSE(result.stopped);
  EXPECT_FALSE(waiting.IsOpen());
  // Told once, as it happened, and nothing else went wrong (a later statement would have found
  // the connection gone, not waited on it).
  ASSERT_EQ(port.messages.size(), 1u) << DescribeMessages();
  EXPECT_EQ(port.messages[0].text, noAnswer);
}

}  // namespace
}  // namespace tessarine::test
