#include "core/Settings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "core/TableName.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

// Every field of the settings as one text: two settings are alike when these are.
std::string Fields(const Settings& s) {
  std::ostringstream out;
  out << s.dsn << '|' << s.fileDsn << '|' << s.login << '|' << s.password << '|' << static_cast<int>(s.dbms) << '|'
      << s.folders << '|' << s.images << '|' << s.createThumbnails << s.reCreateThumbnails << s.onlyChangedFiles
      << s.modernFormats << s.onlyIptc << s.xmpOverIptc << s.keepIimWhenXmpMissing << '|' << s.lastFolder << '|';
  if (s.window) {
    out << s.window->left << ',' << s.window->top << ',' << s.window->width << ',' << s.window->height << ','
        << s.window->maximized;
  }
  for (const CustomXmpSchema& schema : s.custom.schemas) {
    out << '|' << schema.description << ',' << schema.ns << ',' << schema.prefix;
    for (const CustomXmpProperty& property : schema.properties) {
      out << ',' << property.xmpFieldName << '=' << property.dbFieldName;
    }
  }
  return out.str();
}

class SettingsTest : public ::testing::Test {
 protected:
  Settings LoadFrom(std::string_view text) {
    test::WriteFile(m_file, text);
    return LoadSettings(m_file);
  }
  test::TempDir m_dir;
  std::filesystem::path m_file = m_dir / "Tessarine PRO.ini";
};

// No file gives the defaults and creates nothing. A file as a user has it gives every key; the saves
// and stores, from the boxes (trimmed) and the controls, set the same values and write a file that
// gives them too; a second save of the same definitions changes nothing.
TEST_F(SettingsTest, EveryKeyIsReadAndEverySaveWritesWhatLoadsBack) {
  EXPECT_EQ(Fields(LoadSettings(m_file)), Fields(Settings{}));
  EXPECT_FALSE(std::filesystem::exists(m_file));
  const std::string fromUser =
      Fields(LoadFrom("[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=pa;ss=word\n"
                      "[Database]\nDBMS=2\nFolders=Dirs\nImages=Pics\n[Configuration]\nCreateThumbnails=1\n"
                      "ReCreateThumbnails=1\nOnlyChangedFiles=1\nModernFormats=0\n[Metadata]\nXMPOverIPTC=0\n"
                      "KeepIimWhenXmpMissing=1\n[Window]\nLeft=-8\nTop=30\nWidth=1010\nHeight=700\nMaximized=1\n"
                      "LastFolder=/photos\n[XMPCustomized]\nDescription1=Mine\nNS1=http://example.com/my/1.0/\n"
                      "Prefix1=myp\nXMPFieldName1_1=Rating\nDBFieldName1_1=05\nXMPFieldName10_10=Last\n"
                      "DBFieldName10_10=100\n"));
  CustomXmpDefinition custom;
  custom.schemas[0] = {"Mine", "http://example.com/my/1.0/", "myp", {}};
  custom.schemas[0].properties[0] = {"Rating", "05"};
  custom.schemas[9].properties[9] = {"Last", "100"};

  const auto file = m_dir / "saved.ini";
  Settings saved;
  SaveConnection(saved, file, "  Pictures  ", true, " scan", " pa;ss=word ");
  SaveTables(saved, file, " Dirs ", "Pics ");
  StoreDbms(saved, file, DbmsKind::SqlServer);
  StoreCreateThumbnails(saved, file, true);
  StoreReCreateThumbnails(saved, file, true);
  StoreOnlyChangedFiles(saved, file, true);
  StoreModernFormats(saved, file, false);
  StoreXmpOverIptc(saved, file, false);
  StoreKeepIimWhenXmpMissing(saved, file, true);
  StoreWindowPlace(saved, file, {-8, 30, 1010, 700, true});
  StoreLastFolder(saved, file, "/photos");
  SaveCustomXmp(saved, file, custom);
  EXPECT_EQ(Fields(saved), fromUser);
  EXPECT_EQ(Fields(LoadSettings(file)), fromUser);
  const std::string text = test::ReadFile(file);
  SaveCustomXmp(saved, file, custom);
  EXPECT_EQ(test::ReadFile(file), text);
  // Every key of the definitions is written, the empty ones too: a removed property is gone.
  SaveCustomXmp(saved, file, {});
  EXPECT_EQ(Fields(LoadSettings(file)), Fields(saved));
}

TEST_F(SettingsTest, DbmsFlagsAndTheWindowPlaceAreReadFromTheirExactTextsOnly) {
  const std::pair<std::string, DbmsKind> kinds[] = {{"1", DbmsKind::Oracle}, {"2", DbmsKind::SqlServer},
                                                    {"3", DbmsKind::Sqlite}, {"5", DbmsKind::MySqlPostgreSqlEtc},
                                                    {"01", DbmsKind::MySqlPostgreSqlEtc}};
  for (const auto& [text, kind] : kinds) EXPECT_EQ(LoadFrom("[Database]\nDBMS=" + text + "\n").dbms, kind) << text;
  // Most flags are on with "1" only; ModernFormats and XMPOverIPTC are on unless "0".
  const struct {
    const char* line;
    bool Settings::*flag;
    bool onUnlessZero;
  } flags[] = {
      {"[Connection]\nFileDSN=", &Settings::fileDsn, false},
      {"[Configuration]\nCreateThumbnails=", &Settings::createThumbnails, false},
      {"[Configuration]\nReCreateThumbnails=", &Settings::reCreateThumbnails, false},
      {"[Configuration]\nOnlyChangedFiles=", &Settings::onlyChangedFiles, false},
      {"[Configuration]\nModernFormats=", &Settings::modernFormats, true},
      {"[Metadata]\nOnlyIPTC=", &Settings::onlyIptc, false},
      {"[Metadata]\nXMPOverIPTC=", &Settings::xmpOverIptc, true},
      {"[Metadata]\nKeepIimWhenXmpMissing=", &Settings::keepIimWhenXmpMissing, false},
  };
  for (const auto& f : flags) {
    for (const std::string text : {"1", "0", "true", "01", "yes", ""}) {
      EXPECT_EQ(LoadFrom(f.line + text + "\n").*f.flag, f.onUnlessZero ? text != "0" : text == "1") << f.line << text;
    }
  }
  // XMPOverIPTC is always off under OnlyIPTC.
  EXPECT_FALSE(LoadFrom("[Metadata]\nOnlyIPTC=1\nXMPOverIPTC=1\n").xmpOverIptc);
  Settings s;
  StoreOnlyIptc(s, m_file, true);
  EXPECT_TRUE(LoadSettings(m_file).onlyIptc);
  // A missing, empty, negative or absurd size, or a number with more than digits, is no place at all.
  for (const char* text : {"[Window]\nLeft=0\nTop=0\nWidth=800\n", "[Window]\nLeft=0\nTop=0\nWidth=0\nHeight=600\n",
                           "[Window]\nLeft=0\nTop=0\nWidth=-800\nHeight=600\n",
                           "[Window]\nLeft=0\nTop=0\nWidth=99999999999\nHeight=600\n",
                           "[Window]\nLeft=1e3\nTop=0\nWidth=800\nHeight=600\n",
                           "[Window]\nLeft=-\nTop=0\nWidth=800\nHeight=600\n"}) {
    EXPECT_FALSE(LoadFrom(text).window.has_value()) << text;
  }
}

// Invalid table names are not replaced by the defaults: those may name another catalogue's tables.
// Each is warned of, naming the file, the key and the name, with the rule.
TEST_F(SettingsTest, InvalidTableNamesAreKeptAsStoredAndWarnedOfAndTheRestStillLoads) {
  const Settings s = LoadFrom(
      "[Connection]\nDSN=Pictures\n[Database]\nDBMS=3\nFolders=Folders;drop/**/table/**/Images;--\n"
      "Images=Images; drop table Folders; --\n");
  EXPECT_EQ(s.dsn, "Pictures");
  EXPECT_EQ(s.dbms, DbmsKind::Sqlite);
  EXPECT_EQ(s.folders, "Folders;drop/**/table/**/Images;--");
  EXPECT_EQ(s.images, "Images; drop table Folders; --");

  const std::vector<std::string> warnings = InvalidTableNameWarnings(s, m_file);
  ASSERT_EQ(warnings.size(), 2u);
  for (const auto& [warning, key, name] : {std::tuple{warnings[0], "Folders", s.folders},
                                           std::tuple{warnings[1], "Images", s.images}}) {
    for (const std::string& part : {m_file.string(), std::string(key), name, std::string(kTableNameRule)}) {
      EXPECT_NE(warning.find(part), std::string::npos) << part;
    }
  }
  EXPECT_TRUE(InvalidTableNameWarnings(LoadFrom("[Database]\nFolders=Dirs\nImages=Pics_2\n"), m_file).empty());
  // Blank ones load as the defaults.
  EXPECT_EQ(Fields(LoadFrom("[Database]\nFolders=\nImages=   \n")), Fields(Settings{}));
}

}  // namespace
}  // namespace tessarine
