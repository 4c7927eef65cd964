// tessarine scan on a three-node Galera cluster, run as a user would: two scans of different trees
// at once on two nodes, whose transactions the cluster refuses now and then (certification
// conflicts), so the folder retry is proven on a real cluster too (it is proven on every run by
// ScanRetry, which injects the refusals). A folder held by a scan on one node is refused to a check
// or a scan on another, until its holder is gone and silent past the stale time.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include <chrono>
#include <csignal>
#include <thread>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/FolderLockTable.h"
#include "core/Error.h"
#include "support/GaleraCluster.h"
#include "support/TestDatabase.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

constexpr int kFilesPerFolder = 500;
// Short, so that a killed holder is taken over within the test.
constexpr int kStaleSeconds = 8;

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
                                   "\nImages=" + images +
                                   "\nStaleLockSeconds=" + std::to_string(kStaleSeconds) + "\n");
    }
    // The cluster requires a primary key in every table, as managed clusters do.
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
  std::unique_ptr<ToolProcess> StartScan(int node, const Tree& tree) const {
    const std::vector<std::string> arguments{"scan", "--add", "--settings", SettingsOf(node).string(),
                                            tree.root.string()};
    return std::make_unique<ToolProcess>(TESSARINE_EXECUTABLE, arguments, ToolStderr::Apart);
  }

  ToolRun Run(int node, const std::string& command, const Tree& tree) const {
    return RunTool(TESSARINE_EXECUTABLE,
                   command + " --settings '" + SettingsOf(node).string() + "' '" + tree.root.string() + "'");
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
  auto onNode1 = StartScan(1, first);
  auto onNode2 = StartScan(2, second);
  EXPECT_EQ(onNode1->Wait(), 0) << onNode1->Stderr();
  EXPECT_EQ(onNode2->Wait(), 0) << onNode2->Stderr();
  EXPECT_TRUE(ErrorLines(onNode1->Stderr()).empty()) << onNode1->Stderr();
  EXPECT_TRUE(ErrorLines(onNode2->Stderr()).empty()) << onNode2->Stderr();

  // Read on the third node, which wrote none of them.
  EXPECT_TRUE(OneRowPerFile(3, first));
  EXPECT_TRUE(OneRowPerFile(3, second));
}

// The scan is held still (SIGSTOP) while it holds its folders, new photos not yet committed: a
// check on another node is refused and moves nothing; the scan then ends with every row.
TEST_F(GaleraScaleOut, ACheckOnAnotherNodeWaitsForTheScanOfItsFolder) {
  const Tree tree = MakeTree("held", 2);
  auto scan = StartScan(1, tree);
  ASSERT_TRUE(LockSeenOn(2));
  scan->Signal(SIGSTOP);
  const ToolRun check = Run(2, "check --delete-lines --delete-files", tree);
  scan->Signal(SIGCONT);
  EXPECT_EQ(check.status, 3) << check.out;
  EXPECT_NE(check.out.find("Another scan or check is working on table"), std::string::npos) << check.out;
  for (const auto& [folder, name] : tree.files) ASSERT_TRUE(std::filesystem::exists(folder + name)) << folder + name;
  EXPECT_EQ(scan->Wait(), 0) << scan->Stderr();
  EXPECT_TRUE(OneRowPerFile(3, tree));
}

// A second scan of the same folder on another node is refused while the first one's heartbeat
// goes on; once the first is killed, its lock is taken over when stale and the folder scanned.
TEST_F(GaleraScaleOut, AKilledScansFoldersAreTakenOverOnceItsLockIsStale) {
  const Tree tree = MakeTree("killed", 2);
  auto first = StartScan(1, tree);
  ASSERT_TRUE(LockSeenOn(2));
  const ToolRun refused = Run(2, "scan", tree);
  EXPECT_EQ(refused.status, 3) << refused.out;
  first->Signal(SIGKILL);
  first->Wait();
  std::this_thread::sleep_for(std::chrono::seconds(kStaleSeconds + 2));
  const ToolRun second = Run(2, "scan --add", tree);
  EXPECT_EQ(second.status, 0) << second.out;
  EXPECT_NE(second.out.find("Lock taken over from folder " + tree.root.string() + "/"), std::string::npos)
      << second.out;
  EXPECT_TRUE(OneRowPerFile(3, tree));
}

}  // namespace
}  // namespace tessarine::test
