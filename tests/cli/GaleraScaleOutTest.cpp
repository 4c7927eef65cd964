// tessarine scan on a three-node Galera cluster, run as a user would: two scans of different trees
// at once on two nodes, whose transactions the cluster refuses now and then (certification
// conflicts), so the folder retry is proven on a real cluster too (it is proven on every run by
// ScanRetry, which injects the refusals).

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "core/Error.h"
#include "support/GaleraCluster.h"
#include "support/TestDatabase.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

constexpr int kFilesPerFolder = 500;

// A folder tree written by the test and the rows a scan of it must leave: (folder, file name),
// the folder as the scan stores it, with a trailing "/".
struct Tree {
  std::filesystem::path root;
  std::set<std::pair<std::string, std::string>> files;
};

// Adds `count` folders named <stem>0, <stem>1... of small plain files under the tree's root.
void AddFolders(Tree& tree, const std::string& stem, int count) {
  for (int f = 0; f < count; ++f) {
    const auto folder = tree.root / (stem + std::to_string(f));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      const std::string name = "file" + std::to_string(i) + ".txt";
      WriteFile(folder / name, "text " + std::to_string(i));
      tree.files.emplace(folder.string() + "/", name);
    }
  }
}

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
    if (!cluster) return;
    if (created) {
      cluster->Send(1, "drop table " + images);
      cluster->Send(1, "drop table " + folders);
    }
  }

  std::filesystem::path SettingsOf(int node) const { return dir / ("node" + std::to_string(node) + ".ini"); }

  Tree MakeTree(const std::string& name, int folderCount) const {
    Tree tree{dir / name, {}};
    AddFolders(tree, "f", folderCount);
    return tree;
  }

  // `tessarine scan --add ROOT` on the node, in the background.
  std::unique_ptr<ToolProcess> StartScan(int node, const Tree& tree, const std::string& log) const {
    const std::vector<std::string> arguments{"scan", "--add", "--settings", SettingsOf(node).string(),
                                            tree.root.string()};
    return std::make_unique<ToolProcess>(TESSARINE_EXECUTABLE, arguments, ToolStderr::Apart);
  }

  // Every file of the tree has exactly one row on the node, and no row names another file.
  ::testing::AssertionResult OneRowPerFile(int node, const Tree& tree) const {
    std::vector<std::pair<std::string, std::string>> rows;
    try {
      rows = cluster->Rows(node, images, tree.root.string() + "/");
    } catch (const Error& error) {
      return ::testing::AssertionFailure() << "no rows from node " << node << ": " << error.what();
    }
    std::map<std::pair<std::string, std::string>, int> seen;
    for (const auto& row : rows) ++seen[row];
    std::ostringstream problems;
    int missing = 0;
    for (const auto& file : tree.files) {
      if (seen.count(file) == 0 && ++missing <= 3) problems << "\n  no row: " << file.first << file.second;
    }
    int doubled = 0;
    int foreign = 0;
    for (const auto& [row, count] : seen) {
      if (count > 1 && ++doubled <= 3) problems << "\n  " << count << " rows: " << row.first << row.second;
      if (tree.files.count(row) == 0 && ++foreign <= 3) problems << "\n  row of no file: " << row.first << row.second;
    }
    if (missing == 0 && doubled == 0 && foreign == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << rows.size() << " rows for " << tree.files.size() << " files: " << missing
                                         << " files without a row, " << doubled << " with more than one, " << foreign
                                         << " rows of no file" << problems.str();
  }

  TempDir dir;
  std::optional<GaleraCluster> cluster;
  std::string folders = UniqueTableName("GaleraFolders");
  std::string images = UniqueTableName("GaleraImages");
  bool created = false;
};

// The lines of the tool's stderr that report a database error ("Error <number>: <description>",
// alone or after what it concerns).
std::vector<std::string> ErrorLines(const std::string& stderrText) {
  static const std::regex databaseError("Error -?[0-9]+: ");
  std::vector<std::string> lines;
  std::istringstream in(stderrText);
  for (std::string line; std::getline(in, line);) {
    if (std::regex_search(line, databaseError)) lines.push_back(line);
  }
  return lines;
}

TEST_F(GaleraScaleOut, TwoScansAtOnceOnTwoNodesGiveEveryFileOneRow) {
  const Tree first = MakeTree("first", 4);
  const Tree second = MakeTree("second", 4);
  auto onNode1 = StartScan(1, first, "first");
  auto onNode2 = StartScan(2, second, "second");
  EXPECT_EQ(onNode1->Wait(), 0) << onNode1->Stderr();
  EXPECT_EQ(onNode2->Wait(), 0) << onNode2->Stderr();
  EXPECT_TRUE(ErrorLines(onNode1->Stderr()).empty()) << onNode1->Stderr();
  EXPECT_TRUE(ErrorLines(onNode2->Stderr()).empty()) << onNode2->Stderr();

  // Read on the third node, which wrote none of them.
  EXPECT_TRUE(OneRowPerFile(3, first));
  EXPECT_TRUE(OneRowPerFile(3, second));
}

}  // namespace
}  // namespace tessarine::test
