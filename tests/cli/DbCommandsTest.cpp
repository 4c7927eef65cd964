// tessarine db test|create|sql, run as a user would, on an SQLite file data source.

#include <gtest/gtest.h>

#include "support/RunTool.h"
#include "support/TempDir.h"

namespace tessarine::test {
namespace {

ToolRun Tessarine(const std::string& arguments) { return RunTool(TESSARINE_EXECUTABLE, arguments); }

class DbCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(folder / "catalogue.dsn", "[ODBC]\nDRIVER=SQLite3\nDatabase=" + (folder / "c.db").string() + "\n");
    WriteFile(ini, "[Connection]\nDSN=" + (folder / "catalogue.dsn").string() +
                       "\nFileDSN=1\nLogin=me\nPassword=s3cret\n[Database]\nDBMS=3\nFolders=Dirs\nImages=Pics\n");
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

TEST_F(DbCommands, TestWithoutADataSourceFails) {
  WriteFile(ini, "[Connection]\nDSN=\n");
  const ToolRun run = Tessarine("db test " + Settings());
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.out.find("DSN not defined"), std::string::npos) << run.out;
}

TEST_F(DbCommands, CreateRefusesWithoutYesAndCreatesWithIt) {
  ToolRun run = Tessarine("db create " + Settings());
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_FALSE(std::filesystem::exists(folder / "c.db"));

  run = Tessarine("db create --yes " + Settings());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Created table Dirs\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Created table Pics and its index\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Please confirm"), std::string::npos) << run.out;

  // The tables are there: the test query can read them.
  run = Tessarine("db test --query 'select count(*) from Pics;' " + Settings());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Result: 0\n"), std::string::npos) << run.out;
}

TEST_F(DbCommands, SqlPrintsTheCreateStatementOfOneTable) {
  ToolRun run = Tessarine("db sql --folders " + Settings());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "create table Dirs (Folder varchar(255) not null,Files varchar(255),LastScan char(19));\n");
  run = Tessarine("db sql --images " + Settings());
  EXPECT_TRUE(run.out.starts_with("create table Pics (Folder varchar(255) not null,")) << run.out;
  EXPECT_TRUE(run.out.ends_with("primary key(Folder,FileName));\n")) << run.out;
  EXPECT_NE(Tessarine("db sql " + Settings()).status, 0);
}

TEST_F(DbCommands, SqlRejectsAnInvalidTableName) {
  WriteFile(ini, "[Database]\nImages=My Pics\n");
  const ToolRun run = Tessarine("db sql --images " + Settings());
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.out.find("Invalid table name"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tessarine::test
