// tessarine scan on a three-node Galera cluster, run as a user would: two scans of different trees
// at once on two nodes, whose transactions the cluster refuses now and then (certification
// conflicts), so the folder retry is proven on a real cluster too (it is proven on every run by
// ScanRetry, which injects the refusals). A folder held by a scan on one node is refused to a check
// or a scan on another, until its holder is gone and silent past the stale time. The cluster
// requires a primary key in every table, as managed clusters do.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <optional>
#include <regex>
#include <thread>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/FolderLockTable.h"
#include "core/Error.h"
#include "support/GaleraCluster.h"
#include "support/TestDatabase.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

constexpr int kFolders = 4;
constexpr int kFilesPerFolder = 500;
// Short, so that a killed holder is taken over within the test.
constexpr int kStaleSeconds = 8;

// (folder, file name) of the rows under a tree, the folder as the scan stores it, with a trailing "/".
using FileRows = std::vector<std::pair<std::string, std::string>>;

class GaleraScaleOut : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    cluster = GaleraCluster::FromEnvironment(why);
    if (!cluster) {
      if (ServersRequired()) FAIL() << why;
      GTEST_SKIP() << why;
    }
    for (int n = 1; n <= GaleraCluster::kNodes; ++n) {
      ASSERT_TRUE(cluster->IsWhole(n)) << cluster->Describe(n)
                                       << ": start the cluster again (scripts/stop-galera-cluster.sh, "
                                          "scripts/start-galera-cluster.sh)";
      WriteFile(SettingsOf(n), "[Connection]\nDSN=" + cluster->Dsn(n) + "\nFileDSN=0\nLogin=" + cluster->Login() +
                                   "\nPassword=" + cluster->Password() + "\n[Database]\nDBMS=0\nFolders=" + folders +
                                   "\nImages=" + images +
                                   "\nStaleLockSeconds=" + std::to_string(kStaleSeconds) + "\n");
    }
    const ToolRun run = RunTool(TESSARINE_EXECUTABLE, "db create --yes --settings '" + SettingsOf(1).string() + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    created = true;
  }

  void TearDown() override {
    if (!created) return;
    cluster->Send(1, "drop table " + images);
    cluster->Send(1, "drop table " + folders);
  }

  std::filesystem::path SettingsOf(int node) const { return dir / ("node" + std::to_string(node) + ".ini"); }

  // Writes the tree's folders of small plain files; the rows a scan of it must leave, in order.
  FileRows MakeTree(const std::string& name) const {
    FileRows files;
    for (int f = 0; f < kFolders; ++f) {
      const auto folder = dir / name / ("f" + std::to_string(f));
      std::filesystem::create_directories(folder);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        files.emplace_back(folder.string() + "/", "file" + std::to_string(i) + ".txt");
        WriteFile(folder / files.back().second, "text " + std::to_string(i));
      }
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  // `tessarine scan --add TREE` on the node, in the background.
  std::unique_ptr<ToolProcess> StartScan(int node, const std::string& name) const {
    const std::vector<std::string> arguments{"scan", "--add", "--settings", SettingsOf(node).string(),
                                            (dir / name).string()};
    return std::make_unique<ToolProcess>(TESSARINE_EXECUTABLE, arguments, ToolStderr::Apart);
  }

  ToolRun Run(int node, const std::string& command, const std::string& name) const {
    return RunTool(TESSARINE_EXECUTABLE,
                   command + " --settings '" + SettingsOf(node).string() + "' '" + (dir / name).string() + "'");
  }

  // Waits until the node sees a lock held on the catalogue: the scan has started.
  ::testing::AssertionResult LockSeenOn(int node) const {
    CatalogueConnection connection;
    connection.OpenConnection(cluster->Source(node));
    const std::string count = std::string("select count(*) from ") + kFolderLockTable + " where catalogue = '" +
                              images + "' and folder is not null;";
    for (int tries = 0; tries < 600; ++tries) {
      try {
        if (connection.FirstValue(count).value_or("0") != "0") return ::testing::AssertionSuccess();
      } catch (const Error&) {
        // The table is made by the first lock.
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ::testing::AssertionFailure() << "no lock seen on node " << node;
  }

  // The rows under the tree as the node holds them, in order.
  FileRows RowsOf(int node, const std::string& name) const {
    FileRows rows = cluster->Rows(node, images, (dir / name).string() + "/");
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  TempDir dir;
  std::optional<GaleraCluster> cluster;
  std::string folders = UniqueTableName("GaleraFolders");
  std::string images = UniqueTableName("GaleraImages");
  bool created = false;
};

TEST_F(GaleraScaleOut, TwoScansAtOnceOnTwoNodesGiveEveryFileOneRow) {
  const FileRows first = MakeTree("first");
  const FileRows second = MakeTree("second");
  const auto onNode1 = StartScan(1, "first");
  const auto onNode2 = StartScan(2, "second");
  for (ToolProcess* scan : {onNode1.get(), onNode2.get()}) {
    EXPECT_EQ(scan->Wait(), 0) << scan->Stderr();
    // No database error ("Error <number>: ...") reached the user: the refused folders were retried.
    EXPECT_FALSE(std::regex_search(scan->Stderr(), std::regex("Error -?[0-9]+: "))) << scan->Stderr();
  }
  // Read on the third node, which wrote none of them: every file once, and no row of another file.
  const FileRows firstRows = RowsOf(3, "first");
  const FileRows secondRows = RowsOf(3, "second");
  EXPECT_TRUE(firstRows == first) << firstRows.size() << " rows for " << first.size() << " files";
  EXPECT_TRUE(secondRows == second) << secondRows.size() << " rows for " << second.size() << " files";
}

// The scan is held still (SIGSTOP) while it holds its folders, new photos not yet committed: a
// check on another node is refused and moves nothing; the scan then ends with every row.
TEST_F(GaleraScaleOut, ACheckOnAnotherNodeWaitsForTheScanOfItsFolder) {
  const FileRows files = MakeTree("held");
  const auto scan = StartScan(1, "held");
  ASSERT_TRUE(LockSeenOn(2));
  scan->Signal(SIGSTOP);
  const ToolRun check = Run(2, "check --delete-lines --delete-files", "held");
  scan->Signal(SIGCONT);
  EXPECT_EQ(check.status, 3) << check.out;
  EXPECT_NE(check.out.find("Another scan or check is working on table"), std::string::npos) << check.out;
  for (const auto& [folder, name] : files) ASSERT_TRUE(std::filesystem::exists(folder + name)) << folder + name;
  EXPECT_EQ(scan->Wait(), 0) << scan->Stderr();
  EXPECT_TRUE(RowsOf(3, "held") == files);
}

// A second scan of the same folder on another node is refused while the first one's heartbeat
// goes on; once the first is killed, its lock is taken over when stale and the folder scanned.
TEST_F(GaleraScaleOut, AKilledScansFoldersAreTakenOverOnceItsLockIsStale) {
  const FileRows files = MakeTree("killed");
  const auto first = StartScan(1, "killed");
  ASSERT_TRUE(LockSeenOn(2));
  const ToolRun refused = Run(2, "scan", "killed");
  EXPECT_EQ(refused.status, 3) << refused.out;
  first->Signal(SIGKILL);
  first->Wait();
  std::this_thread::sleep_for(std::chrono::seconds(kStaleSeconds + 2));
  const ToolRun second = Run(2, "scan --add", "killed");
  EXPECT_EQ(second.status, 0) << second.out;
  EXPECT_NE(second.out.find("Lock taken over from folder " + (dir / "killed").string() + "/"), std::string::npos)
      << second.out;
  EXPECT_TRUE(RowsOf(3, "killed") == files);
}

}  // namespace
}  // namespace tessarine::test
