// tessarine check, run as a user would on an SQLite file data source holding a scanned folder.

#include <gtest/gtest.h>

#include "support/RunTool.h"
#include "support/SqliteCatalogue.h"

namespace tessarine::test {
namespace {

// What the check lists and deletes is VerifyOnDatabase; here the command's options, output and status.
class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini, "Folders=Dirs\nImages=Pics\n");
    std::filesystem::create_directories(photos);
    for (const char* name : {"kept.txt", "gone.txt", "it's.txt"}) WriteFile(photos / name, name);
    ASSERT_EQ(CreateSqliteCatalogue(ini, photos), "");
  }

  ToolRun Check(const std::string& options = "") {
    return RunTool(TESSARINE_EXECUTABLE, "check " + options + " --settings '" + ini.string() + "'", ToolStderr::Drop);
  }

  TempDir folder;
  std::filesystem::path ini = folder / "Tessarine PRO.ini";
  std::filesystem::path photos = folder / "photos";
};

TEST_F(CheckCommand, PrintsBothListsAndDeletesOnlyWhenAsked) {
  std::filesystem::remove(photos / "gone.txt");
  WriteFile(photos / "new'one.txt", "new");
  const std::string root = photos.string() + "/";
  const std::string lists = "Files without corresponding lines in images table: 1\n" + root + "\tnew'one.txt\n" +
                            "Lines in images table without corresponding files: 1\n" + root + "\tgone.txt\n" +
                            "Total files:3 - Elapsed time: 0 h 0 min ";

  ToolRun run = Check();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind(lists, 0), 0u) << run.out;
  EXPECT_TRUE(std::filesystem::exists(photos / "new'one.txt"));

  run = Check("--delete-lines --delete-files");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind(lists, 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\nFiles moved to the trash: 1\nDeleted lines: 1\n"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(photos / "new'one.txt"));
}

TEST_F(CheckCommand, FailsWhenTheImagesTableCannotBeRead) {
  WriteSqliteSettings(ini, "Folders=Dirs\nImages=Missing\n");
  const ToolRun run = RunTool(TESSARINE_EXECUTABLE, "check --delete-lines --settings '" + ini.string() + "'");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.out.find("Error "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Deleted lines"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tessarine::test
