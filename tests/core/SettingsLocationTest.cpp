#include "core/SettingsLocation.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

TEST(SettingsLocation, TessarineHomeOverridesTheFolderAndTheDumpFileLivesBesideTheSettings) {
  test::TempDir dir;
  ::setenv("TESSARINE_HOME", (dir / "home").c_str(), 1);
  EXPECT_EQ(SettingsFolder(), dir / "home");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "home"));
  EXPECT_EQ(DefaultSettingsFile(), dir / "home" / "Tessarine PRO.ini");
  EXPECT_EQ(ParsingErrorDumpFile(DefaultSettingsFile()), dir / "home" / "ParsingError.xmp");
  ::unsetenv("TESSARINE_HOME");
}

}  // namespace
}  // namespace tessarine
