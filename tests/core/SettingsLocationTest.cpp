#include "core/SettingsLocation.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "support/TempDir.h"

namespace tessarine {
namespace {

// An installed program (<prefix>/bin) finds its manual and licence under <prefix>/share; a program
// with them beside it (the build tree, a portable folder) uses those.
class ProgramDataFileTest : public ::testing::Test {
 protected:
  void Put(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    test::WriteFile(file, "x");
  }
  test::TempDir m_dir;
  std::filesystem::path m_bin = m_dir / "usr" / "bin";
  std::filesystem::path m_share = m_dir / "usr" / "share" / "tessarine-pro";
};

TEST_F(ProgramDataFileTest, AnInstalledProgramReadsItsFilesFromShare) {
  Put(m_share / "Help" / "TessarinePro.pdf");
  Put(m_share / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(m_bin, "Help/TessarinePro.pdf"), m_share / "Help" / "TessarinePro.pdf");
  EXPECT_EQ(ProgramDataFile(m_bin, "license-fi.txt"), m_share / "license-fi.txt");
  // Missing everywhere: named where the installed program expects it.
  std::filesystem::remove(m_share / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(m_bin, "license-fi.txt"), m_share / "license-fi.txt");
}

TEST_F(ProgramDataFileTest, AFileBesideTheProgramComesFirst) {
  Put(m_share / "license-fi.txt");
  Put(m_bin / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(m_bin, "license-fi.txt"), m_bin / "license-fi.txt");
  // A program in a folder of its own looks only beside itself, found or not.
  const std::filesystem::path own = m_dir / "Tessarine PRO";
  Put(m_dir / "share" / "tessarine-pro" / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(own, "license-fi.txt"), own / "license-fi.txt");
}

// Sets or clears a variable for the life of a test, then puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

// The settings never land in a bin/ folder, even a writable one such as ~/.local/bin.
TEST(SettingsFolderTest, AWritableProgramFolderHoldsTheSettingsUnlessItIsABinFolder) {
  test::TempDir dir;
  const std::filesystem::path portable = dir / "Tessarine PRO";
  const std::filesystem::path bin = dir / "bin";
  std::filesystem::create_directories(portable);
  std::filesystem::create_directories(bin);
  const ScopedEnv home("TESSARINE_HOME", nullptr);
  const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
  EXPECT_EQ(SettingsFolder(portable), portable);
  EXPECT_EQ(SettingsFolder(bin), dir / "config" / "tessarine-pro");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "config" / "tessarine-pro"));
}

}  // namespace
}  // namespace tessarine
