// tessarine db test|create|sql, run as a user would, on an SQLite file data source.

#include <gtest/gtest.h>

#include "core/IniFile.h"
#include "support/ToolProcess.h"
#include "support/SqliteCatalogue.h"
#include "support/ValidName.h"

namespace tessarine::test {
namespace {

ToolRun Tessarine(const std::string& arguments) { return RunTool(TESSARINE_EXECUTABLE, arguments); }

class DbCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini, "Folders=Dirs\nImages=Pics\n");
    WriteSetting(ini, "Connection", "Password", "s3cret");
  }
  std::string Settings() const { return "--settings '" + ini.string() + "'"; }
  TempDir folder;
  std::filesystem::path ini = folder / "Tessarine PRO.ini";
};

TEST_F(DbCommands, TestPrintsTheResultAndTheConnectStringWithoutThePassword) {
  const ToolRun run = Tessarine("db test " + Settings());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Result: 1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Connected: "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("s3cret"), std::string::npos) << run.out;
}

// Settings that cannot be read say so, never that they name no data source.
TEST_F(DbCommands, TestWithUnreadableSettingsSaysWhy) {
  const std::filesystem::path unreadable = folder / "folder.ini";
  std::filesystem::create_directory(unreadable);
  const ToolRun run = Tessarine("db test --settings '" + unreadable.string() + "'");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.out.find("Cannot read the settings file " + unreadable.string() + ": Is a directory"),
            std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("DSN not defined"), std::string::npos) << run.out;
}

TEST_F(DbCommands, CreateRefusesWithoutYesAndCreatesWithIt) {
  ToolRun run = Tessarine("db create " + Settings());
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_FALSE(std::filesystem::exists(folder / "catalogue.sqlite"));

  run = Tessarine("db create --yes " + Settings());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Created table Dirs\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Created table Pics and its index\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Please confirm"), std::string::npos) << run.out;
}

TEST_F(DbCommands, SqlPrintsTheCreateStatementOfTheOneTableNamed) {
  ToolRun run = Tessarine("db sql --folders " + Settings());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, FoldersTableStatement(ValidName("Dirs")) + "\n");
  const std::string images = ImagesTableStatement(ValidName("Pics"), SqlDialectFor(DbmsKind::Sqlite));
  EXPECT_EQ(Tessarine("db sql --images " + Settings()).out, images + "\n");
  EXPECT_EQ(Tessarine("db sql " + Settings()).status, 2);
}

}  // namespace
}  // namespace tessarine::test
