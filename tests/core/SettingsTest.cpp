#include "core/Settings.h"

#include <gtest/gtest.h>

#include "core/IniFile.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  Settings LoadFrom(std::string_view text) {
    test::WriteFile(m_file, text);
    return LoadSettings(m_file);
  }
  test::TempDir m_dir;
  std::filesystem::path m_file = m_dir / "Tessarine PRO.ini";
};

TEST_F(SettingsTest, NoFileGivesEveryDefaultAndCreatesNothing) {
  Settings s = LoadSettings(m_file);
  EXPECT_EQ(s.dsn, "");
  EXPECT_FALSE(s.fileDsn);
  EXPECT_EQ(s.login, "");
  EXPECT_EQ(s.password, "");
  EXPECT_EQ(s.dbms, DbmsKind::MySqlPostgreSqlEtc);
  EXPECT_EQ(s.folders, "Folders");
  EXPECT_EQ(s.images, "Images");
  EXPECT_FALSE(s.createThumbnails);
  EXPECT_FALSE(s.reCreateThumbnails);
  EXPECT_FALSE(s.onlyIptc);
  EXPECT_TRUE(s.xmpOverIptc);
  for (const auto& schema : s.custom.schemas) EXPECT_EQ(schema.prefix, "");
  EXPECT_FALSE(std::filesystem::exists(m_file));
}

TEST_F(SettingsTest, DbmsIsReadFromExactDigitsOnly) {
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=1\n").dbms, DbmsKind::Oracle);
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=2\n").dbms, DbmsKind::SqlServer);
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=3\n").dbms, DbmsKind::Sqlite);
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=5\n").dbms, DbmsKind::MySqlPostgreSqlEtc);
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=x\n").dbms, DbmsKind::MySqlPostgreSqlEtc);
  EXPECT_EQ(LoadFrom("[Database]\nDBMS=01\n").dbms, DbmsKind::MySqlPostgreSqlEtc);
}

TEST_F(SettingsTest, EmptyTableNamesLoadAsTheDefaults) {
  Settings s = LoadFrom("[Database]\nFolders=\nImages=   \n");
  EXPECT_EQ(s.folders, "Folders");
  EXPECT_EQ(s.images, "Images");
  EXPECT_EQ(LoadFrom("[Database]\nImages=Pics\n").images, "Pics");
}

TEST_F(SettingsTest, FlagsAreSetOnlyByTheSingleCharacterOne) {
  EXPECT_TRUE(LoadFrom("[Configuration]\nCreateThumbnails=1\n").createThumbnails);
  EXPECT_FALSE(LoadFrom("[Configuration]\nCreateThumbnails=true\n").createThumbnails);
  EXPECT_FALSE(LoadFrom("[Configuration]\nCreateThumbnails=01\n").createThumbnails);
  EXPECT_TRUE(LoadFrom("[Connection]\nFileDSN=1\n").fileDsn);
  EXPECT_FALSE(LoadFrom("[Connection]\nFileDSN=yes\n").fileDsn);
}

TEST_F(SettingsTest, XmpOverIptcIsOnUnlessZeroAndAlwaysOffUnderOnlyIptc) {
  EXPECT_TRUE(LoadFrom("").xmpOverIptc);
  EXPECT_TRUE(LoadFrom("[Metadata]\nXMPOverIPTC=no\n").xmpOverIptc);
  EXPECT_FALSE(LoadFrom("[Metadata]\nXMPOverIPTC=0\n").xmpOverIptc);
  Settings s = LoadFrom("[Metadata]\nOnlyIPTC=1\nXMPOverIPTC=1\n");
  EXPECT_TRUE(s.onlyIptc);
  EXPECT_FALSE(s.xmpOverIptc);
}

TEST_F(SettingsTest, GarbageFileLoadsDefaults) {
  std::string garbage(10000, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 31 + 7);
  Settings s = LoadFrom(garbage);
  EXPECT_EQ(s.images, "Images");
  EXPECT_TRUE(s.xmpOverIptc);
}

TEST_F(SettingsTest, SaveConnectionTrimsTheBoxesAndWritesFourKeysInOrder) {
  Settings s;
  SaveConnection(s, m_file, "  Pictures  ", true, " scan", " pa;ss=word ");
  EXPECT_EQ(s.dsn, "Pictures");
  EXPECT_TRUE(s.fileDsn);
  EXPECT_EQ(s.login, "scan");
  EXPECT_EQ(s.password, "pa;ss=word");
  EXPECT_EQ(test::ReadFile(m_file), "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=pa;ss=word\n");
}

TEST_F(SettingsTest, SaveTablesWritesFoldersThenImages) {
  Settings s;
  SaveTables(s, m_file, " Dirs ", "Pics ");
  EXPECT_EQ(s.folders, "Dirs");
  EXPECT_EQ(s.images, "Pics");
  EXPECT_EQ(test::ReadFile(m_file), "[Database]\nFolders=Dirs\nImages=Pics\n");
}

TEST_F(SettingsTest, OptionStoresWriteAtOnceAndRoundTrip) {
  Settings s = LoadSettings(m_file);
  StoreDbms(s, m_file, DbmsKind::SqlServer);
  StoreCreateThumbnails(s, m_file, true);
  StoreReCreateThumbnails(s, m_file, true);
  StoreXmpOverIptc(s, m_file, false);
  StoreOnlyIptc(s, m_file, true);
  SaveConnection(s, m_file, "dsn", false, "u", "p");
  SaveTables(s, m_file, "F", "I");

  Settings again = LoadSettings(m_file);
  EXPECT_EQ(again.dbms, DbmsKind::SqlServer);
  EXPECT_TRUE(again.createThumbnails);
  EXPECT_TRUE(again.reCreateThumbnails);
  EXPECT_FALSE(again.xmpOverIptc);
  EXPECT_TRUE(again.onlyIptc);
  EXPECT_EQ(again.dsn, "dsn");
  EXPECT_EQ(again.folders, "F");
  EXPECT_EQ(ReadSetting(m_file, "Database", "DBMS"), "2");
  EXPECT_EQ(ReadSetting(m_file, "Metadata", "XMPOverIPTC"), "0");
}

TEST_F(SettingsTest, SaveCustomXmpWrites230KeysAndRoundTrips) {
  Settings s;
  CustomXmpDefinition def;
  def.schemas[0] = {"Mine", "http://example.com/my/1.0/", "myp", {}};
  def.schemas[0].properties[0] = {"Rating", "05"};
  def.schemas[9].properties[9] = {"Last", "100"};
  SaveCustomXmp(s, m_file, def);

  const std::string text = test::ReadFile(m_file);
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 231u);  // the section line and 230 keys
  EXPECT_NE(text.find("\nXMPFieldName3_10=\n"), std::string::npos);
  EXPECT_NE(text.find("\nDBFieldName10_10=100\n"), std::string::npos);

  Settings again = LoadSettings(m_file);
  EXPECT_EQ(again.custom.schemas[0].prefix, "myp");
  EXPECT_EQ(again.custom.schemas[0].ns, "http://example.com/my/1.0/");
  EXPECT_EQ(again.custom.schemas[0].properties[0].dbFieldName, "05");
  EXPECT_EQ(again.custom.schemas[9].properties[9].xmpFieldName, "Last");

  SaveCustomXmp(s, m_file, def);  // a second save replaces, never duplicates
  EXPECT_EQ(test::ReadFile(m_file), text);
}

}  // namespace
}  // namespace tessarine
