// tessarine scan on a three-node Galera cluster, run as a user would: two scans of different trees
// at once on two nodes, whose transactions the cluster refuses now and then (certification
// conflicts), so the folder retry is proven on a real cluster too (it is proven on every run by
// ScanRetry, which injects the refusals).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <regex>

#include "core/Error.h"
#include "support/GaleraCluster.h"
#include "support/TestDatabase.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

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

  // Four folders of 500 small files under dir/name, and the (folder, file) row each must get.
  Rows MakeTree(const std::string& name) const {
    Rows files;
    for (int f = 0; f < 4; ++f) {
      const auto folder = dir / name / ("f" + std::to_string(f));
      std::filesystem::create_directories(folder);
      for (int i = 0; i < 500; ++i) {
        files.emplace_back(folder.string() + "/", "file" + std::to_string(i) + ".txt");
        WriteFile(folder / files.back().second, "text " + std::to_string(i));
      }
    }
    std::ranges::sort(files);
    return files;
  }

  // `tessarine scan --add ROOT` on the node, in the background.
  std::unique_ptr<ToolProcess> StartScan(int node, const std::string& name) const {
    return std::make_unique<ToolProcess>(
        TESSARINE_EXECUTABLE,
        std::vector<std::string>{"scan", "--add", "--settings", SettingsOf(node).string(), (dir / name).string()},
        ToolStderr::Apart);
  }

  TempDir dir;
  std::optional<GaleraCluster> cluster;
  std::string folders = UniqueTableName("GaleraFolders");
  std::string images = UniqueTableName("GaleraImages");
  bool created = false;
};

TEST_F(GaleraScaleOut, TwoScansAtOnceOnTwoNodesGiveEveryFileOneRow) {
  const Rows first = MakeTree("first");
  const Rows second = MakeTree("second");
  auto onNode1 = StartScan(1, "first");
  auto onNode2 = StartScan(2, "second");
  // Each ends well, with no database error ("Error <number>: <description>") on the way.
  const std::regex databaseError("Error -?[0-9]+: ");
  for (ToolProcess* scan : {onNode1.get(), onNode2.get()}) {
    EXPECT_EQ(scan->Wait(), 0) << scan->Stderr();
    EXPECT_FALSE(std::regex_search(scan->Stderr(), databaseError)) << scan->Stderr();
  }
  // Read on the third node, which wrote none of them: every file one row, and no other row.
  for (const auto& [tree, name] : {std::pair{&first, "first"}, std::pair{&second, "second"}}) {
    Rows rows;
    try {
      rows = cluster->Rows(3, images, (dir / name).string() + "/");
    } catch (const Error& error) {
      FAIL() << "no rows from node 3: " << error.what();
    }
    std::ranges::sort(rows);
    const Rows missing = [&] {
      Rows left;
      std::ranges::set_difference(*tree, rows, std::back_inserter(left));
      return left;
    }();
    EXPECT_TRUE(rows == *tree) << rows.size() << " rows for " << tree->size() << " files, "
                               << missing.size() << " files without a row"
                               << (missing.empty() ? "" : ", the first " + missing[0].first + missing[0].second);
  }
}

}  // namespace
}  // namespace tessarine::test
