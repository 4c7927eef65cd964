// The disks under the catalogue and its photos. A disk mounted over a catalogued folder that holds
// none of its photos (a fresh file system: nothing but an empty lost+found) is no emptied folder:
// scan, scan --changed and check keep its rows and end with status 1, whether the disk is mounted
// over the listed folder or a subfolder. A catalogue whose disk fills up during a scan: one clear
// error, status 1, and the count the summary gives is what the table holds. Each run with a mount
// gets a mount namespace of its own, so the mount goes with it.

#include <gtest/gtest.h>

#include <regex>

#include "support/SqliteCatalogue.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

class MountPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunTool("unshare", "-rm true").status != 0) GTEST_SKIP() << "no mount namespaces on this machine";
    WriteSqliteSettings(ini);
    WriteFile(script, "#!/bin/sh\nmount -t tmpfs none \"$1\" && mkdir \"$1/lost+found\" || exit 99\nshift\nexec \"$@\"\n");
    std::filesystem::create_directories(photos / "sub");
    WriteFile(photos / "a.jpg", "x");
    for (const char* name : {"b.jpg", "c.jpg"}) WriteFile(photos / "sub" / name, "x");
  }

  ToolRun Run(const std::string& command, const std::filesystem::path& mountedOver = {}) const {
    const std::string tool = std::string(TESSARINE_EXECUTABLE) + " " + command + " --settings '" + ini.string() + "'";
    if (mountedOver.empty()) return RunTool(tool, "");
    return RunTool("unshare", "-rm sh '" + script.string() + "' '" + mountedOver.string() + "' " + tool);
  }
  std::string Rows() const {
    const ToolRun run = Run("db test --query \"select count(*) from Images;\"");
    const std::size_t at = run.out.find("Result: ");
    return at == std::string::npos ? run.out : run.out.substr(at + 8, 1);
  }

  TempDir dir;
  std::filesystem::path ini = dir / "settings.ini";
  std::filesystem::path script = dir / "mounted.sh";
  std::filesystem::path photos = dir / "photos";
};

TEST_F(MountPoints, AnEmptyDiskMountedOverAFolderKeepsItsRows) {
  ASSERT_EQ(Run("db create --yes").status, 0);
  const ToolRun added = Run("scan --add '" + photos.string() + "'");
  ASSERT_EQ(added.status, 0) << added.out;
  ASSERT_EQ(Rows(), "3");
  for (const auto& over : {photos / "sub", photos}) {
    for (const char* command : {"scan", "scan --changed", "check --delete-lines"}) {
      const ToolRun run = Run(command, over);
      EXPECT_EQ(run.status, 1) << command << " over " << over << ": " << run.out;
      EXPECT_NE(run.out.find(over.string() + "/"), std::string::npos) << run.out;
      EXPECT_EQ(Rows(), "3") << command << " over " << over;
    }
  }
  // Emptied by the user on the same disk: its rows go.
  std::filesystem::remove_all(photos / "sub");
  std::filesystem::create_directory(photos / "sub");
  EXPECT_EQ(Run("scan").status, 0);
  EXPECT_EQ(Rows(), "1");
}

TEST_F(MountPoints, AFullDiskEndsTheScanWithOneErrorAndTheRowsCounted) {
  const std::filesystem::path disk = dir / "disk";
  std::filesystem::create_directories(disk);
  WriteSqliteSettings(disk / "settings.ini");
  std::filesystem::create_directories(photos / "many");
  for (int i = 0; i < 1500; ++i) WriteFile(photos / "many" / ("photo" + std::to_string(i) + ".txt"), "x");
  const std::filesystem::path full = dir / "full.sh";
  // The settings and data source are copied onto a 192 KB disk mounted over their folder.
  WriteFile(full, R"(#!/bin/sh
cp "$1"/* "$2" && mount -t tmpfs -o size=192k none "$1" && cp "$2"/* "$1" || exit 99
"$3" db create --yes --settings "$1/settings.ini" >/dev/null || exit 98
"$3" scan --add "$4" --settings "$1/settings.ini"; echo "scan status $?"
exec "$3" db test --query "select count(*) from Images where Folder like '$4/many/%';" --settings "$1/settings.ini"
)");
  std::filesystem::create_directories(dir / "saved");
  const ToolRun run = RunTool("unshare", "-rm sh '" + full.string() + "' '" + disk.string() + "' '" +
                                             (dir / "saved").string() + "' " + TESSARINE_EXECUTABLE + " '" +
                                             photos.string() + "'");
  ASSERT_NE(run.out.find("scan status 1"), std::string::npos) << run.out;
  std::smatch saidRows;
  std::smatch tableRows;
  ASSERT_TRUE(std::regex_search(run.out, saidRows, std::regex("the table holds ([0-9]+) rows"))) << run.out;
  ASSERT_TRUE(std::regex_search(run.out, tableRows, std::regex("Result: ([0-9]+)"))) << run.out;
  EXPECT_EQ(saidRows[1], tableRows[1]) << run.out;
  // Said once for the folder and once as the scan's error, not once a row.
  const std::regex diskFull("disk is full");
  EXPECT_EQ(std::distance(std::sregex_iterator(run.out.begin(), run.out.end(), diskFull), std::sregex_iterator()), 2)
      << run.out;
}

}  // namespace
}  // namespace tessarine::test
