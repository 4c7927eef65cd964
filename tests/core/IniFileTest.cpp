#include "core/IniFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

TEST(IniFile, MatchesSectionAndKeyNamesWithoutRegardToCase) {
  const std::string text = "[connection]\ndsn=Pictures\n[Database]\nIMAGES=Pics\n";
  EXPECT_EQ(ReadSettingFromText(text, "Connection", "DSN"), "Pictures");
  EXPECT_EQ(ReadSettingFromText(text, "DATABASE", "Images"), "Pics");
  EXPECT_EQ(ReadSettingFromText(text, "Database", "DSN"), "");  // a key of another section
}

TEST(IniFile, IgnoresBlanksAroundNamesAndValues) {
  const std::string text = "  [ Metadata ]  \r\n\t OnlyIPTC \t=\t 1 \t\r\n";
  EXPECT_EQ(ReadSettingFromText(text, "Metadata", "OnlyIPTC"), "1");
}

TEST(IniFile, KeepsBlanksInsideValuesAndEqualsSignsAfterTheFirst) {
  EXPECT_EQ(ReadSettingFromText("[C]\nPassword= a=b; c \n", "C", "Password"), "a=b; c");
}

TEST(IniFile, CutsReadsAfter254CharactersWithoutSplittingACharacter) {
  std::string text = "[S]\nK=" + std::string(300, 'x') + "\n";
  EXPECT_EQ(ReadSettingFromText(text, "S", "K").size(), kMaxSettingLength);

  // 253 ASCII letters and a two-byte é make 254 characters; the next é is cut off.
  std::string value = std::string(253, 'a') + "\xC3\xA9\xC3\xA9";
  EXPECT_EQ(ReadSettingFromText("[S]\nK=" + value, "S", "K"), std::string(253, 'a') + "\xC3\xA9");
}

TEST(IniFile, ReplacesAnExistingKeyOnItsOwnLineAndLeavesEveryOtherByte) {
  const std::string text = "; my comment\r\n[Connection]\r\nDSN = old\r\nLogin=me\r\ngarbage line\r\n";
  EXPECT_EQ(WriteSettingToText(text, "connection", "dsn", "new"),
            "; my comment\r\n[Connection]\r\ndsn=new\r\nLogin=me\r\ngarbage line\r\n");
}

TEST(IniFile, AppendsANewKeyAfterTheLastEntryOfItsSection) {
  const std::string text = "[A]\nx=1\n\n[B]\ny=2\n";
  EXPECT_EQ(WriteSettingToText(text, "A", "z", "3"), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
  EXPECT_EQ(WriteSettingToText(text, "B", "z", "3"), "[A]\nx=1\n\n[B]\ny=2\nz=3\n");
}

TEST(IniFile, AppendsANewSectionAtTheEndAndWritesEmptyValuesAsKeyEquals) {
  EXPECT_EQ(WriteSettingToText("", "Connection", "Password", ""), "[Connection]\nPassword=\n");
  EXPECT_EQ(WriteSettingToText("[A]\nx=1", "B", "y", "2"), "[A]\nx=1\n[B]\ny=2\n");
}

TEST(IniFile, KeepsAValueWithLineBreaksOnOneLine) {
  std::string text = WriteSettingToText("", "S", "K", "a\nb\r\n[Evil]");
  EXPECT_EQ(ReadSettingFromText(text, "S", "K"), "a b  [Evil]");
  EXPECT_EQ(text.find("\n[Evil]"), std::string::npos);
}

TEST(IniFile, CreatesTheFileOnFirstWriteAndReadsBackWhatItWrote) {
  test::TempDir dir;
  auto file = dir / "sub" / "Tessarine PRO.ini";
  EXPECT_EQ(ReadSetting(file, "Connection", "DSN"), "");
  ASSERT_TRUE(WriteSetting(file, "Connection", "DSN", "Pictures"));
  ASSERT_TRUE(WriteSetting(file, "Connection", "Login", "scan"));
  ASSERT_TRUE(WriteSetting(file, "Connection", "DSN", "Other"));
  EXPECT_EQ(test::ReadFile(file), "[Connection]\nDSN=Other\nLogin=scan\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "sub" / ("Tessarine PRO.ini.tmp" + std::to_string(::getpid()))));
}

TEST(IniFile, ReportsAFailedWriteWithoutThrowing) {
  test::TempDir dir;
  test::WriteFile(dir / "file", "x");
  EXPECT_FALSE(WriteSetting(dir / "file" / "settings.ini", "S", "K", "v"));
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
