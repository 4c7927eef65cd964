// Ctrl-C and SIGTERM on tessarine scan and tessarine check while the tool waits in a statement: the
// test locks the images table against writes on PostgreSQL and signals the tool once the server
// shows it waiting for that lock. The first signal is answered at once and the stop is seen as
// soon as the statement returns; a second signal ends the tool at once.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "catalogue/CatalogueStatements.h"
#include "support/DatabaseFixture.h"
#include "support/ToolProcess.h"
#include "support/ValidName.h"

namespace tessarine::test {
namespace {

const std::string kStopping = "Stopping after the file in progress";

class StopSignals : public DatabaseFixture {
 protected:
  void SetUp() override {
    DatabaseFixture::SetUp();
    if (IsSkipped() || HasFailure()) return;
    // The PostgreSQL driver leaks a few bytes per connection (see TestDatabase.cpp): the tool's
    // leak checker is told to let them pass too.
    WriteFile(m_folder / "lsan.supp", "leak:psqlodbca.so\n");
    ::setenv("LSAN_OPTIONS", ("suppressions=" + (m_folder / "lsan.supp").string()).c_str(), 1);
    m_folders = Table("F");
    m_images = Table("I");
    WriteFile(m_ini, "[Connection]\nDSN=" + Db().userDsn.dsn + "\nFileDSN=0\nLogin=" + Db().userDsn.login +
                         "\nPassword=" + Db().userDsn.password + "\n[Database]\nDBMS=0\nFolders=" + m_folders +
                         "\nImages=" + m_images + "\n");
    CatalogueConnection& c = Open();
    c.SendStatement(FoldersTableStatement(ValidName(m_folders)));
    c.SendStatement(ImagesTableStatement(ValidName(m_images), Dialect()));
    c.CloseConnection();
    std::filesystem::create_directories(m_photos);
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(m_photos / name, name);
    const ToolRun added = RunTool(TESSARINE_EXECUTABLE, "folders add '" + m_photos.string() + "'" + Settings());
    ASSERT_EQ(added.status, 0) << added.out;
  }

  std::string Settings() const { return " --settings '" + m_ini.string() + "'"; }
  std::vector<std::string> Arguments(const std::string& command) const {
    return {command, "-v", "--settings", m_ini.string()};
  }

  // Writes to the images table wait from here until Unlock; reads go on.
  void Lock() {
    m_locker.OpenConnection(Db().userDsn);
    m_locker.SendStatement("start transaction;");
    m_locker.SendStatement("lock table " + m_images + " in share mode;");
  }
  void Unlock() {
    m_locker.SendStatement("commit;");
    m_locker.CloseConnection();
  }

  // True once the server shows a session waiting for the lock on the images table (the tool's: no
  // one else writes to it); false when the tool ended first.
  bool ToolWaitsForTheLock(ToolProcess& tool) {
    CatalogueConnection watcher;
    watcher.OpenConnection(Db().userDsn);
    const std::string waiting =
        "select count(*) from pg_locks where not granted and relation = '" + m_images + "'::regclass;";
    while (!tool.Exited()) {
      auto rows = watcher.ExecuteStatement(waiting);
      if (rows && rows->FieldValue(0) != "0") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  std::filesystem::path m_ini = m_folder / "Tessarine PRO.ini";
  std::filesystem::path m_photos = m_folder / "photos";
  std::string m_folders;
  std::string m_images;
  CatalogueConnection m_locker;
};
INSTANTIATE_TEST_SUITE_P(Db, StopSignals, ::testing::Values("PostgreSQL"), [](const auto& p) { return p.param; });

TEST_P(StopSignals, TheFirstCtrlCIsAnsweredAtOnceAndTheScanStopsOnceTheStatementReturns) {
  Lock();
  ToolProcess tool(TESSARINE_EXECUTABLE, Arguments("scan"));
  // The first file is read; writing its row waits.
  ASSERT_TRUE(ToolWaitsForTheLock(tool)) << tool.Output();
  tool.Signal(SIGINT);
  ASSERT_TRUE(tool.WaitFor(kStopping)) << tool.Output();
  Unlock();
  EXPECT_EQ(tool.Wait(), 128 + SIGINT) << tool.Output();
  // The file in progress was finished and its row committed; no other file was read.
  EXPECT_NE(tool.Output().find("\n1 files catalogued, stopped."), std::string::npos) << tool.Output();
  EXPECT_EQ(tool.Output().find("Error "), std::string::npos) << tool.Output();
}

TEST_P(StopSignals, ASecondSignalEndsTheScanAtOnceWhileTheStatementStillWaits) {
  Lock();
  ToolProcess tool(TESSARINE_EXECUTABLE, Arguments("scan"));
  ASSERT_TRUE(ToolWaitsForTheLock(tool)) << tool.Output();
  tool.Signal(SIGINT);
  ASSERT_TRUE(tool.WaitFor(kStopping)) << tool.Output();
  tool.Signal(SIGTERM);
  tool.Wait();  // the lock is still held
  EXPECT_EQ(tool.Signalled(), SIGTERM) << tool.Output();
  Unlock();
}

TEST_P(StopSignals, SigtermStopsTheCheckWithoutPrintingOrDeletingAnything) {
  const ToolRun scanned = RunTool(TESSARINE_EXECUTABLE, "scan" + Settings());
  ASSERT_EQ(scanned.status, 0) << scanned.out;
  Lock();
  ToolProcess tool(TESSARINE_EXECUTABLE, Arguments("check"));
  // Marking the first file's row waits.
  ASSERT_TRUE(ToolWaitsForTheLock(tool)) << tool.Output();
  tool.Signal(SIGTERM);
  ASSERT_TRUE(tool.WaitFor(kStopping)) << tool.Output();
  Unlock();
  EXPECT_EQ(tool.Wait(), 128 + SIGTERM) << tool.Output();
  EXPECT_NE(tool.Output().find("Check stopped"), std::string::npos) << tool.Output();
  EXPECT_EQ(tool.Output().find("Files without corresponding lines"), std::string::npos) << tool.Output();
  EXPECT_EQ(tool.Output().find("Error "), std::string::npos) << tool.Output();
}

}  // namespace
}  // namespace tessarine::test
