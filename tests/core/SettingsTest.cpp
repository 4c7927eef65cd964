#include "core/Settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "core/IniFile.h"
#include "core/SettingsLocation.h"
#include "core/TableName.h"
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

// A file of garbage reads as one without keys: IniFile.ReadsBinaryGarbageAsMissingKeys.
TEST_F(SettingsTest, NoFileGivesTheDefaultsAndCreatesNothing) {
  const Settings s = LoadSettings(m_file);
  EXPECT_FALSE(std::filesystem::exists(m_file));
  EXPECT_EQ(s.dsn, "");
  EXPECT_EQ(s.dbms, DbmsKind::MySqlPostgreSqlEtc);
  EXPECT_EQ(s.folders, "Folders");
  EXPECT_EQ(s.images, "Images");
  EXPECT_FALSE(s.createThumbnails || s.onlyIptc || s.fileDsn);
  EXPECT_TRUE(s.xmpOverIptc);
  // Blank table names load as the defaults too.
  EXPECT_EQ(LoadFrom("[Database]\nFolders=\nImages=   \n").images, "Images");
}

TEST_F(SettingsTest, DbmsAndFlagsAreReadFromTheirExactTextsOnly) {
  const std::pair<std::string, DbmsKind> kinds[] = {{"1", DbmsKind::Oracle}, {"2", DbmsKind::SqlServer},
                                                    {"3", DbmsKind::Sqlite}, {"5", DbmsKind::MySqlPostgreSqlEtc},
                                                    {"01", DbmsKind::MySqlPostgreSqlEtc}};
  for (const auto& [text, kind] : kinds) EXPECT_EQ(LoadFrom("[Database]\nDBMS=" + text + "\n").dbms, kind) << text;
  for (std::string text : {"1", "true", "01", "yes"}) {
    EXPECT_EQ(LoadFrom("[Configuration]\nCreateThumbnails=" + text + "\n").createThumbnails, text == "1") << text;
    EXPECT_EQ(LoadFrom("[Connection]\nFileDSN=" + text + "\n").fileDsn, text == "1") << text;
  }
  // ModernFormats is on unless "0"; KeepIimWhenXmpMissing and OnlyChangedFiles only with "1".
  EXPECT_FALSE(LoadFrom("[Configuration]\nOnlyChangedFiles=yes\n").onlyChangedFiles);
  EXPECT_TRUE(LoadFrom("[Configuration]\nOnlyChangedFiles=1\n").onlyChangedFiles);
  EXPECT_TRUE(LoadFrom("").modernFormats);
  EXPECT_TRUE(LoadFrom("[Configuration]\nModernFormats=no\n").modernFormats);
  EXPECT_FALSE(LoadFrom("[Configuration]\nModernFormats=0\n").modernFormats);
  EXPECT_FALSE(LoadFrom("[Metadata]\nKeepIimWhenXmpMissing=yes\n").keepIimWhenXmpMissing);
  EXPECT_TRUE(LoadFrom("[Metadata]\nKeepIimWhenXmpMissing=1\n").keepIimWhenXmpMissing);
  // XMPOverIPTC is on unless "0", and always off under OnlyIPTC.
  EXPECT_TRUE(LoadFrom("[Metadata]\nXMPOverIPTC=no\n").xmpOverIptc);
  EXPECT_FALSE(LoadFrom("[Metadata]\nXMPOverIPTC=0\n").xmpOverIptc);
  const Settings onlyIptc = LoadFrom("[Metadata]\nOnlyIPTC=1\nXMPOverIPTC=1\n");
  EXPECT_TRUE(onlyIptc.onlyIptc);
  EXPECT_FALSE(onlyIptc.xmpOverIptc);
}

TEST_F(SettingsTest, SavesTrimTheBoxesWriteTheirKeysInOrderAndEveryStoreRoundTrips) {
  Settings s;
  SaveConnection(s, m_file, "  Pictures  ", true, " scan", " pa;ss=word ");
  SaveTables(s, m_file, " Dirs ", "Pics ");
  EXPECT_EQ(s.password, "pa;ss=word");
  EXPECT_EQ(s.folders, "Dirs");
  EXPECT_EQ(test::ReadFile(m_file),
            "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=pa;ss=word\n"
            "[Database]\nFolders=Dirs\nImages=Pics\n");

  StoreDbms(s, m_file, DbmsKind::SqlServer);
  StoreCreateThumbnails(s, m_file, true);
  StoreReCreateThumbnails(s, m_file, true);
  StoreXmpOverIptc(s, m_file, false);
  StoreOnlyIptc(s, m_file, true);
  const Settings again = LoadSettings(m_file);
  EXPECT_EQ(again.dsn, "Pictures");
  EXPECT_EQ(again.login, "scan");
  EXPECT_EQ(again.images, "Pics");
  EXPECT_EQ(again.dbms, DbmsKind::SqlServer);
  EXPECT_TRUE(again.createThumbnails && again.reCreateThumbnails && again.onlyIptc);
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
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 231);  // the section line and 230 keys
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

TEST_F(SettingsTest, TheWindowPlaceRoundTripsAndAnUnreadableOneIsNone) {
  Settings s;
  EXPECT_FALSE(LoadSettings(m_file).window.has_value());
  StoreWindowPlace(s, m_file, {-8, 30, 1010, 700, true});
  EXPECT_EQ(test::ReadFile(m_file), "[Window]\nLeft=-8\nTop=30\nWidth=1010\nHeight=700\nMaximized=1\n");
  const std::optional<WindowPlace> place = LoadSettings(m_file).window;
  ASSERT_TRUE(place.has_value());
  EXPECT_EQ(place->left, -8);
  EXPECT_EQ(place->top, 30);
  EXPECT_EQ(place->width, 1010);
  EXPECT_EQ(place->height, 700);
  EXPECT_TRUE(place->maximized);
  // A missing, empty, negative or absurd size, or a number with more than digits, is no place at all.
  for (const char* text : {"[Window]\nLeft=0\nTop=0\nWidth=800\n", "[Window]\nLeft=0\nTop=0\nWidth=0\nHeight=600\n",
                           "[Window]\nLeft=0\nTop=0\nWidth=-800\nHeight=600\n",
                           "[Window]\nLeft=0\nTop=0\nWidth=99999999999\nHeight=600\n",
                           "[Window]\nLeft=1e3\nTop=0\nWidth=800\nHeight=600\n",
                           "[Window]\nLeft=-\nTop=0\nWidth=800\nHeight=600\n"}) {
    EXPECT_FALSE(LoadFrom(text).window.has_value()) << text;
  }
}

TEST_F(SettingsTest, InvalidTableNamesAreKeptAsStoredAndWarnedOfAndTheRestStillLoads) {
  const Settings s = LoadFrom(
      "[Connection]\nDSN=Pictures\n[Database]\nDBMS=3\nFolders=Folders;drop/**/table/**/Images;--\n"
      "Images=Images; drop table Folders; --\n[Configuration]\nCreateThumbnails=1\n");
  EXPECT_EQ(s.dsn, "Pictures");
  EXPECT_EQ(s.dbms, DbmsKind::Sqlite);
  EXPECT_TRUE(s.createThumbnails);
  // Not replaced by the defaults: those may name another catalogue's tables.
  EXPECT_EQ(s.folders, "Folders;drop/**/table/**/Images;--");
  EXPECT_EQ(s.images, "Images; drop table Folders; --");

  const std::vector<std::string> warnings = InvalidTableNameWarnings(s, m_file);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find(m_file.string() + ", [Database] Folders: invalid table name '" + s.folders + "'"),
            std::string::npos);
  EXPECT_NE(warnings[1].find("[Database] Images: invalid table name '" + s.images + "'"), std::string::npos);
  EXPECT_TRUE(InvalidTableNameWarnings(LoadFrom("[Database]\nFolders=Dirs\nImages=Pics_2\n"), m_file).empty());
}

TEST(SettingsLocation, TessarineHomeOverridesTheFolderAndTheDumpFileLivesBesideTheSettings) {
  test::TempDir dir;
  ::setenv("TESSARINE_HOME", (dir / "home").c_str(), 1);
  EXPECT_EQ(DefaultSettingsFile(), dir / "home" / "Tessarine PRO.ini");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "home"));
  EXPECT_EQ(ParsingErrorDumpFile(DefaultSettingsFile()), dir / "home" / "ParsingError.xmp");
  ::unsetenv("TESSARINE_HOME");
}

}  // namespace
}  // namespace tessarine
