// Files written at test time by exiftool and ImageMagick, read as a scan reads them,
// compared column by column.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "metadata/FileRowReader.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

bool HaveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

using Expected = std::map<std::size_t, std::string>;

class RealFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("exiftool") || !HaveTool("convert")) {
      GTEST_SKIP() << "exiftool or ImageMagick missing: scripts/install-deps.sh installs them";
    }
  }

  std::filesystem::path Make(const std::string& name, const std::string& tags, const std::string& config = "") {
    const auto path = m_dir / name;
    EXPECT_EQ(RunQuietly("convert -size 64x48 xc:gray '" + path.string() + "'"), 0);
    const std::string configOption = config.empty() ? "" : "-config '" + config + "' ";
    EXPECT_EQ(RunQuietly("exiftool " + configOption + "-overwrite_original -codedcharacterset=utf8 " + tags + " '" +
                  path.string() + "'"),
              0);
    return path;
  }

  FileRow Read(const std::filesystem::path& path, bool xmpOverIptc, const CustomXmpDefinition& custom = {}) {
    const XmpParser parser(custom);
    const MetadataReadContext context{false, &parser, nullptr};
    return ReadFileRow(path, context, xmpOverIptc);
  }

  // Every metadata column holds exactly what is expected; every other one is empty.
  static void ExpectColumns(const FileRow& row, const Expected& expected) {
    const auto& columns = ImageColumns();
    for (std::size_t c = col::ObjectName; c <= col::CoreCountryCode; ++c) {
      auto it = expected.find(c);
      EXPECT_EQ(row.columns[c], it == expected.end() ? "" : it->second) << columns[c].name;
    }
    for (std::size_t n = 1; n <= kCustomColumnCount; ++n) {
      auto it = expected.find(CustomColumnIndex(n));
      EXPECT_EQ(row.columns[CustomColumnIndex(n)], it == expected.end() ? "" : it->second) << columns[CustomColumnIndex(n)].name;
    }
  }

  test::TempDir m_dir;
};

const std::string kIimTags =
    "-IPTC:ObjectName='IIM title' -IPTC:Keywords=sea -IPTC:Keywords=sun -IPTC:By-line=Ann "
    "-IPTC:Caption-Abstract='Caf\xC3\xA9 caption' -IPTC:TimeCreated=14:30:05+01:00 -IPTC:DateCreated=2006:05:12 "
    "-IPTC:Contact=desk -IPTC:LanguageIdentifier=fr -IPTC:City=Paris";
const std::string kXmpTags =
    "-XMP-dc:Title='XMP title \xF0\x9F\x98\x80' -XMP-dc:Subject=one -XMP-dc:Subject=two -XMP-dc:Creator=Bob "
    "-XMP-dc:Description='line1\nline2' -XMP-photoshop:DateCreated=2007:01:02T03:04:05+02:00 "
    "-XMP-xmpRights:Marked=True -XMP-iptcCore:CountryCode=FRA -XMP-iptcCore:Location='Old Town'";

TEST_F(RealFilesTest, AJpegWithIimAndXmpGivesEveryColumnByThePrecedenceRules) {
  const auto path = Make("both.jpg", kIimTags + " " + kXmpTags);
  const Expected common = {
      {col::Contact, "desk"},
      {col::Customized, "Field: 135: fr\r\n"},
      // exiftool declares the rights schema with its current prefix "xmpRights"; a schema is
      // recognised by the standard prefix "xapRights" only, so Marked is not read.
      {col::CoreCountryCode, "FRA"},
      {col::CoreLocation, "Old Town"},
  };

  Expected xmpFirst = common;
  xmpFirst.insert({{col::ObjectName, "XMP title \xF0\x9F\x98\x80"},
                   {col::Keywords, "one; two"},
                   {col::Byline, "Bob"},
                   {col::Caption, "line1\r\nline2"},
                   {col::CreatedDate, "2007-01-02"},
                   {col::CreatedTime, "03:04:05+02:00"},
                   {col::Location, "Old Town"}});
  const FileRow xmpRow = Read(path, true);
  ExpectColumns(xmpRow, xmpFirst);
  EXPECT_EQ(xmpRow.columns[col::SupportIPTC], "1");
  EXPECT_EQ(xmpRow.columns[col::Width], "64");
  EXPECT_EQ(xmpRow.columns[col::Height], "48");
  EXPECT_TRUE(xmpRow.alerts.empty());

  Expected iimFirst = common;
  iimFirst.insert({{col::ObjectName, "IIM title"},
                   {col::Keywords, "sea; sun"},
                   {col::Byline, "Ann"},
                   {col::Caption, "Caf\xC3\xA9 caption"},
                   {col::CreatedDate, "20060512"},
                   {col::CreatedTime, "14:30:05"},
                   {col::City, "Paris"}});
  ExpectColumns(Read(path, false), iimFirst);
}

TEST_F(RealFilesTest, ATiffAndAPsdGiveTheirXmp) {
  for (const char* name : {"x.tif", "x.psd"}) {
    const auto path = Make(name, "-XMP-dc:Title=Tagged -XMP-photoshop:Headline=Head -XMP-xmpRights:Marked=False");
    const FileRow row = Read(path, true);
    ExpectColumns(row, {{col::ObjectName, "Tagged"}, {col::Headline, "Head"}});
    EXPECT_EQ(row.columns[col::SupportIPTC], "2") << name;
    EXPECT_EQ(row.columns[col::Width], "64") << name;
  }
}

TEST_F(RealFilesTest, ACustomNamespaceFillsItsColumn) {
  const auto config = m_dir / "custom.config";
  test::WriteFile(config,
                  "%Image::ExifTool::UserDefined = ('Image::ExifTool::XMP::Main' => { myp => { SubDirectory => {"
                  " TagTable => 'Image::ExifTool::UserDefined::myp' } } });\n"
                  "%Image::ExifTool::UserDefined::myp = ( GROUPS => { 0 => 'XMP', 1 => 'XMP-myp', 2 => 'Image' },"
                  " NAMESPACE => { 'myp' => 'http://example.com/myp/1.0/' }, WRITABLE => 'string',"
                  " Rating => { }, Label => { } );\n1;\n");
  const auto path = Make("custom.jpg", "-XMP-myp:Rating=3 -XMP-myp:Label=Red -XMP-dc:Title=T", config.string());

  CustomXmpDefinition custom;
  custom.schemas[2] = {"Mine", "http://example.com/myp/1.0/", "myp", {}};
  custom.schemas[2].properties[0] = {"Rating", "05"};
  custom.schemas[2].properties[1] = {"Label", "100"};
  ExpectColumns(Read(path, true, custom),
                {{col::ObjectName, "T"}, {CustomColumnIndex(5), "3"}, {CustomColumnIndex(100), "Red"}});
}

}  // namespace
}  // namespace tessarine
