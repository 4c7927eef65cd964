// tessarine check, run as a user would on an SQLite file data source holding a scanned folder.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <vector>

#include "support/ToolProcess.h"
#include "support/SqliteCatalogue.h"

namespace tessarine::test {
namespace {

// What the check lists and deletes is VerifyOnDatabase; here the command's options, output and status.
class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini, "Folders=Dirs\nImages=Pics\n");
    std::filesystem::create_directories(photos);
    for (const char* name : {"kept.txt", "gone.txt", "it's.txt", "line\nbreak.txt"}) WriteFile(photos / name, name);
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
                            "Total files:4 - Elapsed time: 0 h 0 min ";

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

// With --json a name holding a tab or a line break is still one entry; the totals come last, with
// the deletions.
TEST_F(CheckCommand, JsonGivesOneObjectALineWhateverTheNames) {
  std::filesystem::remove(photos / "line\nbreak.txt");
  WriteFile(photos / "new\tone\n\"x\".txt", "new");
  const std::string root = photos.string() + "/";

  for (const bool deleting : {false, true}) {
    const ToolRun run = Check(deleting ? "--json --delete-lines --delete-files" : "--json");
    EXPECT_EQ(run.status, 0);
    std::vector<nlohmann::json> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0],
              (nlohmann::json{{"kind", "fileWithoutLine"}, {"folder", root}, {"file", "new\tone\n\"x\".txt"}}));
    EXPECT_EQ(lines[1], (nlohmann::json{{"kind", "lineWithoutFile"}, {"folder", root}, {"file", "line\nbreak.txt"}}));
    const nlohmann::json& totals = lines[2];
    EXPECT_EQ(totals["kind"], "totals");
    EXPECT_EQ(totals["filesWithoutLines"], 1);
    EXPECT_EQ(totals["linesWithoutFiles"], 1);
    EXPECT_EQ(totals["unreadableFolders"], 0);
    EXPECT_EQ(totals["files"], 4);
    EXPECT_EQ(totals["status"].get<std::string>().rfind("Total files:4 - Elapsed time: ", 0), 0u) << totals;
    EXPECT_EQ(totals.contains("deletedLines"), deleting) << totals;
    if (deleting) {
      EXPECT_EQ(totals.value("deletedLines", -1), 1) << totals;
      EXPECT_EQ(totals.value("filesMovedToTrash", -1), 1) << totals;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(photos / "new\tone\n\"x\".txt"));
  // Nothing is left to list.
  const ToolRun again = Check("--json");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(nlohmann::json::parse(again.out)["filesWithoutLines"], 0) << again.out;
}

// An unreadable listed folder is an entry too, and the exit status stays 1.
TEST_F(CheckCommand, JsonNamesAFolderThatCouldNotBeRead) {
  std::filesystem::rename(photos, folder / "moved");
  const ToolRun run = Check("--json");
  EXPECT_EQ(run.status, 1);
  std::istringstream in(run.out);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(nlohmann::json::parse(first),
            (nlohmann::json{{"kind", "unreadableFolder"}, {"folder", photos.string() + "/"}}));
  EXPECT_EQ(nlohmann::json::parse(second)["unreadableFolders"], 1);
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
