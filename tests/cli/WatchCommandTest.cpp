// tessarine watch, run as a service would: it catches up with the listed folders, says so, and
// SIGTERM ends it with status 0. What the watch does is tested with the workflow.

#include <gtest/gtest.h>

#include <csignal>

#include "support/SqliteCatalogue.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

TEST(WatchCommand, CatchesUpAndEndsOnSigterm) {
  TempDir dir;
  const std::filesystem::path ini = dir / "settings.ini";
  const std::filesystem::path photos = dir / "photos";
  WriteSqliteSettings(ini);
  std::filesystem::create_directories(photos);
  WriteFile(photos / "before.jpg", "x");
  const auto run = [&ini](const std::string& command) {
    return RunTool(TESSARINE_EXECUTABLE, command + " --settings '" + ini.string() + "'");
  };
  ASSERT_EQ(run("db create --yes").status, 0);
  ASSERT_EQ(run("folders add '" + photos.string() + "'").status, 0);

  ToolProcess watch(TESSARINE_EXECUTABLE, {"watch", "--settings", ini.string()}, ToolStderr::Keep);
  ASSERT_TRUE(watch.WaitFor("1 files catalogued in " + photos.string() + "/")) << watch.Output();
  watch.Signal(SIGTERM);
  EXPECT_EQ(watch.Wait(), 0) << watch.Output();
  EXPECT_NE(watch.Output().find("Stopped watching."), std::string::npos) << watch.Output();
}

}  // namespace
}  // namespace tessarine::test
