#include "core/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

TEST(IniFile, ReadsNamesWithoutRegardToCaseAndValuesWithoutTheirSurroundingBlanks) {
  const struct {
    std::string text, section, key, expected;
  } cases[] = {
      {"[connection]\ndsn=Pictures\n[Database]\nIMAGES=Pics\n", "DATABASE", "Images", "Pics"},
      {"[connection]\ndsn=Pictures\n[Database]\nIMAGES=Pics\n", "Database", "DSN", ""},  // a key of another section
      {"  [ Metadata ]  \r\n\t OnlyIPTC \t=\t 1 \t\r\n", "Metadata", "OnlyIPTC", "1"},
      {"[C]\nPassword= a=b; c \n", "C", "Password", "a=b; c"},  // inner blanks and later "=" stay
  };
  for (const auto& c : cases) EXPECT_EQ(ReadSettingFromText(c.text, c.section, c.key), c.expected) << c.text;
}

TEST(IniFile, CutsReadsAfter254CharactersWithoutSplittingACharacter) {
  EXPECT_EQ(ReadSettingFromText("[S]\nK=" + std::string(300, 'x') + "\n", "S", "K").size(), kMaxSettingLength);
  // 253 ASCII letters and a two-byte é make 254 characters; the next é is cut off.
  std::string value = std::string(253, 'a') + "\xC3\xA9\xC3\xA9";
  EXPECT_EQ(ReadSettingFromText("[S]\nK=" + value, "S", "K"), std::string(253, 'a') + "\xC3\xA9");
}

TEST(IniFile, WritesAKeyOnItsOwnLineAtTheEndOfItsSectionAndLeavesEveryOtherByte) {
  const struct {
    std::string text, section, key, value, expected;
  } cases[] = {
      {"; my comment\r\n[Connection]\r\nDSN = old\r\nLogin=me\r\ngarbage line\r\n", "connection", "dsn", "new",
       "; my comment\r\n[Connection]\r\ndsn=new\r\nLogin=me\r\ngarbage line\r\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "B", "z", "3", "[A]\nx=1\n\n[B]\ny=2\nz=3\n"},
      {"", "Connection", "Password", "", "[Connection]\nPassword=\n"},
      {"[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(WriteSettingToText(c.text, c.section, c.key, c.value), c.expected) << c.text;
}

TEST(IniFile, KeepsAValueWithLineBreaksOnOneLine) {
  std::string text = WriteSettingToText("", "S", "K", "a\nb\r\n[Evil]");
  EXPECT_EQ(ReadSettingFromText(text, "S", "K"), "a b  [Evil]");
  EXPECT_EQ(text.find("\n[Evil]"), std::string::npos);
}

TEST(IniFile, CreatesTheFileOnFirstWriteReadsBackWhatItWroteAndReportsAFailedWrite) {
  test::TempDir dir;
  auto file = dir / "sub" / "Tessarine PRO.ini";
  EXPECT_EQ(ReadSetting(file, "Connection", "DSN"), "");
  ASSERT_TRUE(WriteSetting(file, "Connection", "DSN", "Pictures"));
  ASSERT_TRUE(WriteSetting(file, "Connection", "Login", "scan"));
  ASSERT_TRUE(WriteSetting(file, "Connection", "DSN", "Other"));
  EXPECT_EQ(test::ReadFile(file), "[Connection]\nDSN=Other\nLogin=scan\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "sub" / ("Tessarine PRO.ini.tmp" + std::to_string(::getpid()))));
  EXPECT_FALSE(WriteSetting(file / "settings.ini", "S", "K", "v"));  // under a file, not a folder
}

// The settings file holds the database password: created readable by its owner only, whatever the
// umask, and an existing file keeps its own mode through every write.
TEST(IniFile, ANewFileIsTheOwnersOnlyAndAWriteNeverOpensAnExistingOne) {
  test::TempDir dir;
  const auto mode = [](const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0U;
  };
  const mode_t umaskBefore = ::umask(0);
  ASSERT_TRUE(WriteSetting(dir / "new.ini", "Connection", "Password", "secret"));
  EXPECT_EQ(mode(dir / "new.ini"), 0600U);
  for (const unsigned chosen : {0600U, 0640U, 0400U}) {
    test::WriteFile(dir / "old.ini", "[Connection]\n");
    ASSERT_EQ(::chmod((dir / "old.ini").c_str(), chosen), 0);
    ASSERT_TRUE(WriteSetting(dir / "old.ini", "Connection", "Password", "secret"));
    EXPECT_EQ(mode(dir / "old.ini"), chosen);
    EXPECT_EQ(ReadSetting(dir / "old.ini", "Connection", "Password"), "secret");
  }
  ::umask(umaskBefore);
}

TEST(IniFile, ReadsBinaryGarbageAsMissingKeys) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
  garbage += std::string("\0[S]\0K=\0", 8);
  EXPECT_EQ(ReadSettingFromText(garbage, "Connection", "DSN"), "");
  std::string written = WriteSettingToText(garbage, "Connection", "DSN", "x");
  EXPECT_EQ(ReadSettingFromText(written, "Connection", "DSN"), "x");
  EXPECT_EQ(written.substr(0, garbage.size()), garbage);
}

}  // namespace
}  // namespace tessarine
