// tessarine scan on a three-node Galera cluster, run as a user would: two scans of different trees
// at once on two nodes, whose transactions the cluster refuses now and then (certification
// conflicts), so the folder retry is proven on a real cluster too (it is proven on every run by
// ScanRetry, which injects the refusals; the folder locks by FolderLocksOn). The cluster requires a
// primary key in every table, as managed clusters do.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <regex>

#include "support/GaleraCluster.h"
#include "support/TestDatabase.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

constexpr int kFolders = 4;
constexpr int kFilesPerFolder = 500;
// Short, so that a killed holder is taken over within the test.

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
                                   "\nImages=" + images + "\n");
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

}  // namespace
}  // namespace tessarine::test
