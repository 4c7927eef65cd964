// Ctrl-C and SIGTERM on tessarine scan and tessarine check while the tool waits in a statement: the
// test locks the images table against writes on PostgreSQL and signals the tool once the server
// shows it waiting for that lock. The first signal is answered at once and the stop is seen as
// soon as the statement returns; a second signal ends the tool at once.

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <memory>
#include <thread>

#include "support/DatabaseFixture.h"
#include "support/ToolProcess.h"
#include "workflows/scan/FolderRows.h"

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
    m_images = Table("I");
    WriteFile(m_ini, "[Connection]\nDSN=" + Db().userDsn.dsn + "\nFileDSN=0\nLogin=" + Db().userDsn.login +
                         "\nPassword=" + Db().userDsn.password + "\n[Database]\nDBMS=0\nFolders=" + Table("F") +
                         "\nImages=" + m_images + "\n");
    std::filesystem::create_directories(m_photos);
    // A batch of rows and two files more: the scan's first statement to wait sends that batch.
    for (std::size_t i = 0; i < FolderRows::kRowsPerBatch + 2; ++i) {
      WriteFile(m_photos / ("f" + std::to_string(100 + i) + ".txt"), "x");
    }
    for (const std::string& command : {std::string("db create --yes"), "folders add '" + m_photos.string() + "'"}) {
      const ToolRun run = RunTool(TESSARINE_EXECUTABLE, command + Settings());
      ASSERT_EQ(run.status, 0) << run.out;
    }
  }

  std::string Settings() const { return " --settings '" + m_ini.string() + "'"; }

  // Starts the command with writes to the images table held by a lock of the test's own, and sends
  // the signal once the server shows the tool waiting for that lock (no one else writes to it).
  std::unique_ptr<ToolProcess> SignalWhileItWaits(const char* command, int signal) {
    m_locker.OpenConnection(Db().userDsn);
    m_locker.SendStatement("start transaction;");
    m_locker.SendStatement("lock table " + m_images + " in share mode;");
    auto tool = std::make_unique<ToolProcess>(TESSARINE_EXECUTABLE,
                                              std::vector<std::string>{command, "-v", "--settings", m_ini.string()});
    CatalogueConnection watcher;
    watcher.OpenConnection(Db().userDsn);
    const std::string waiting =
        "select count(*) from pg_locks where not granted and relation = '" + m_images + "'::regclass;";
    for (auto rows = watcher.ExecuteStatement(waiting); !tool->Exited() && (!rows || rows->FieldValue(0) == "0");
         rows = watcher.ExecuteStatement(waiting)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(tool->Exited()) << tool->Output();
    tool->Signal(signal);
    EXPECT_TRUE(tool->WaitFor(kStopping)) << tool->Output();
    return tool;
  }
  void Unlock() {
    m_locker.SendStatement("commit;");
    m_locker.CloseConnection();
  }

  std::filesystem::path m_ini = m_folder / "Tessarine PRO.ini";
  std::filesystem::path m_photos = m_folder / "photos";
  std::string m_images;
  CatalogueConnection m_locker;
};
INSTANTIATE_TEST_SUITE_P(Db, StopSignals, ::testing::Values("PostgreSQL"), [](const auto& p) { return p.param; });

TEST_P(StopSignals, TheFirstCtrlCIsAnsweredAtOnceAndTheScanStopsOnceTheStatementReturns) {
  // The first batch of files is read; writing its rows waits.
  const auto tool = SignalWhileItWaits("scan", SIGINT);
  Unlock();
  EXPECT_EQ(tool->Wait(), 128 + SIGINT) << tool->Output();
  // The statement in progress was finished and its rows committed; no other file was read.
  const std::string catalogued = "\n" + std::to_string(FolderRows::kRowsPerBatch) + " files catalogued, stopped.";
  EXPECT_NE(tool->Output().find(catalogued), std::string::npos) << tool->Output();
  EXPECT_EQ(tool->Output().find("Error "), std::string::npos) << tool->Output();
}

TEST_P(StopSignals, ASecondSignalEndsTheScanAtOnceWhileTheStatementStillWaits) {
  const auto tool = SignalWhileItWaits("scan", SIGINT);
  tool->Signal(SIGTERM);
  tool->Wait();  // the lock is still held
  EXPECT_EQ(tool->Signalled(), SIGTERM) << tool->Output();
  Unlock();
}

TEST_P(StopSignals, SigtermStopsTheCheckWithoutPrintingOrDeletingAnything) {
  ASSERT_EQ(RunTool(TESSARINE_EXECUTABLE, "scan" + Settings()).status, 0);
  // Marking the first file's row waits.
  const auto tool = SignalWhileItWaits("check", SIGTERM);
  Unlock();
  EXPECT_EQ(tool->Wait(), 128 + SIGTERM) << tool->Output();
  for (const char* unsaid : {"Files without corresponding lines", "Error "}) {
    EXPECT_EQ(tool->Output().find(unsaid), std::string::npos) << tool->Output();
  }
  EXPECT_NE(tool->Output().find("Check stopped"), std::string::npos) << tool->Output();
}

}  // namespace
}  // namespace tessarine::test
