#include "core/SettingsLocation.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

// An installed program (<prefix>/bin) finds its manual and licence under <prefix>/share; a program
// with them beside it (the build tree, a portable folder) uses those.
TEST(ProgramDataFile, AFileBesideTheProgramComesFirstElseTheInstalledOneInShare) {
  test::TempDir dir;
  const std::filesystem::path bin = dir / "usr" / "bin";
  const std::filesystem::path share = dir / "usr" / "share" / "tessarine-pro";
  const auto put = [](const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    test::WriteFile(file, "x");
  };
  put(share / "Help" / "TessarinePro.pdf");
  put(share / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(bin, "Help/TessarinePro.pdf"), share / "Help" / "TessarinePro.pdf");
  EXPECT_EQ(ProgramDataFile(bin, "license-fi.txt"), share / "license-fi.txt");
  put(bin / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(bin, "license-fi.txt"), bin / "license-fi.txt");
  // Missing everywhere: named where the installed program expects it.
  EXPECT_EQ(ProgramDataFile(bin, "missing.txt"), share / "missing.txt");
  // A program in a folder of its own looks only beside itself, found or not.
  const std::filesystem::path own = dir / "Tessarine PRO";
  put(dir / "share" / "tessarine-pro" / "license-fi.txt");
  EXPECT_EQ(ProgramDataFile(own, "license-fi.txt"), own / "license-fi.txt");
}

// The settings never land in a bin/ folder, even a writable one such as ~/.local/bin. TESSARINE_HOME
// overrides the folder; the dump file lives beside the settings.
TEST(SettingsFolderTest, AWritableProgramFolderHoldsTheSettingsUnlessItIsABinFolderOrTessarineHomeIsSet) {
  test::TempDir dir;
  const std::filesystem::path portable = dir / "Tessarine PRO";
  const std::filesystem::path bin = dir / "bin";
  std::filesystem::create_directories(portable);
  std::filesystem::create_directories(bin);
  ::unsetenv("TESSARINE_HOME");
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  EXPECT_EQ(SettingsFolder(portable), portable);
  EXPECT_EQ(SettingsFolder(bin), dir / "config" / "tessarine-pro");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "config" / "tessarine-pro"));
  ::unsetenv("XDG_CONFIG_HOME");

  ::setenv("TESSARINE_HOME", (dir / "home").c_str(), 1);
  EXPECT_EQ(DefaultSettingsFile(), dir / "home" / "Tessarine PRO.ini");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "home"));
  EXPECT_EQ(ParsingErrorDumpFile(DefaultSettingsFile()), dir / "home" / "ParsingError.xmp");
  ::unsetenv("TESSARINE_HOME");
}

}  // namespace
}  // namespace tessarine
