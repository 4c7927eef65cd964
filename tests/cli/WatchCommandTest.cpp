// tessarine watch, run as a service would: what changed before it started is caught up, files
// copied into a listed tree (and into a folder made meanwhile) get their rows, a removed file loses
// its row, with watches or by polling; SIGTERM ends it with status 0.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "support/SqliteCatalogue.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

class Watching : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // Watched, nothing is polled within the test: only the watches can deliver.
    WriteSqliteSettings(ini, std::string("[Configuration]\nWatchPollSeconds=") + (GetParam() ? "1" : "3600") + "\n");
    std::filesystem::create_directories(photos);
    WriteFile(photos / "before.jpg", "x");
    ASSERT_EQ(Run("db create --yes").status, 0);
    ASSERT_EQ(Run("folders add '" + photos.string() + "'").status, 0);
  }

  ToolRun Run(const std::string& command) const {
    return RunTool(TESSARINE_EXECUTABLE, command + " --settings '" + ini.string() + "'");
  }
  // Waits (up to 20 s) until the images table holds `rows` rows.
  ::testing::AssertionResult RowsBecome(const std::string& rows) const {
    std::string seen;
    for (int tries = 0; tries < 100; ++tries) {
      const ToolRun run = Run("db test --query \"select count(*) from Images;\"");
      const std::size_t at = run.out.find("Result: ");
      seen = at == std::string::npos ? run.out : run.out.substr(at + 8, run.out.find('\n', at) - at - 8);
      if (seen == rows) return ::testing::AssertionSuccess();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return ::testing::AssertionFailure() << seen << " rows, not " << rows;
  }

  TempDir dir;
  std::filesystem::path ini = dir / "settings.ini";
  std::filesystem::path photos = dir / "photos";
};
INSTANTIATE_TEST_SUITE_P(How, Watching, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Polling" : "Watches"; });

TEST_P(Watching, CopiedFilesGetRowsAndRemovedOnesLoseThem) {
  std::vector<std::string> arguments{"watch", "--settings", ini.string()};
  if (GetParam()) arguments.push_back("--poll");
  ToolProcess watch(TESSARINE_EXECUTABLE, arguments, ToolStderr::Keep);
  ASSERT_TRUE(watch.WaitFor("Watching 1 folders")) << watch.Output();
  EXPECT_TRUE(RowsBecome("1")) << watch.Output();

  std::filesystem::create_directories(photos / "new");
  for (int i = 0; i < 30; ++i) WriteFile(photos / "new" / ("copy" + std::to_string(i) + ".jpg"), "x");
  EXPECT_TRUE(RowsBecome("31")) << watch.Output();
  std::filesystem::remove(photos / "before.jpg");
  EXPECT_TRUE(RowsBecome("30")) << watch.Output();

  watch.Signal(SIGTERM);
  EXPECT_EQ(watch.Wait(), 0) << watch.Output();
  EXPECT_NE(watch.Output().find("Stopped watching."), std::string::npos) << watch.Output();
}

}  // namespace
}  // namespace tessarine::test
