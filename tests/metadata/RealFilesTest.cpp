// Files written at test time by exiftool and ImageMagick (and iconv), read as a scan reads them
// with modern formats off and on: off, the rows are the classic ones; on, the metadata the classic
// rules miss lands in the columns they left empty.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "core/ValueBound.h"
#include "metadata/FileRowReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

using namespace test;
using Columns = std::map<std::size_t, std::string>;

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }
std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

const std::string kTitle = "Caf\xC3\xA9 \xE2\x82\xAC title";  // é and € survive every encoding

class RealFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunQuietly("command -v exiftool && command -v convert && command -v iconv") != 0) {
      GTEST_SKIP() << "exiftool, ImageMagick or iconv missing: scripts/install-deps.sh installs them";
    }
  }

  // A 64x48 image of the kind the name says, with the tags exiftool writes.
  std::filesystem::path Make(const std::string& name, const std::string& tags = "", const std::string& options = "") {
    const auto path = m_dir / name;
    EXPECT_EQ(RunQuietly("convert -size 64x48 xc:gray " + Quoted(path)), 0) << name;
    if (!tags.empty()) {
      EXPECT_EQ(RunQuietly("exiftool " + options + " -overwrite_original -codedcharacterset=utf8 " + tags + " " +
                           Quoted(path)),
                0)
          << name;
    }
    return path;
  }

  // The XMP packet exiftool writes for the tags, as UTF-8, with its xpacket wrapper.
  std::string PacketOf(const std::string& tags) {
    const auto sidecar = m_dir / "packet.xmp";
    std::filesystem::remove(sidecar);
    EXPECT_EQ(RunQuietly("exiftool -o " + Quoted(sidecar) + " " + tags), 0);
    return ReadFile(sidecar);
  }

  // A JPEG from ImageMagick with one more segment right after its start marker.
  std::filesystem::path JpegWith(const std::string& segment) {
    const auto path = Make("with.jpg");
    const std::string bytes = ReadFile(path);
    WriteFile(path, bytes.substr(0, 2) + segment + bytes.substr(2));
    return path;
  }

  FileRow Read(const std::filesystem::path& path, bool modern, bool xmpOverIptc = true,
               const CustomXmpDefinition& custom = {}) {
    const XmpParser parser(custom);
    MetadataReadContext context{false, &parser, nullptr};
    context.modernFormats = modern;
    return ReadFileRow(path, context, xmpOverIptc);
  }

  // Every metadata column holds exactly what is expected; every other one is empty.
  static void ExpectColumns(const FileRow& row, const Columns& expected) {
    const auto& columns = ImageColumns();
    auto check = [&](std::size_t c) {
      auto it = expected.find(c);
      EXPECT_EQ(row.columns[c], it == expected.end() ? "" : it->second) << columns[c].name;
    };
    for (std::size_t c = col::ObjectName; c <= col::CoreCountryCode; ++c) check(c);
    for (std::size_t n = 1; n <= kCustomColumnCount; ++n) check(CustomColumnIndex(n));
  }

  TempDir m_dir;
};

TEST_F(RealFilesTest, AJpegWithIimAndXmpGivesEveryColumnByThePrecedenceRules) {
  const auto config = m_dir / "custom.config";
  WriteFile(config,
            "%Image::ExifTool::UserDefined = ('Image::ExifTool::XMP::Main' => { myp => { SubDirectory => {"
            " TagTable => 'Image::ExifTool::UserDefined::myp' } } });\n"
            "%Image::ExifTool::UserDefined::myp = ( GROUPS => { 0 => 'XMP', 1 => 'XMP-myp', 2 => 'Image' },"
            " NAMESPACE => { 'myp' => 'http://example.com/myp/1.0/' }, WRITABLE => 'string',"
            " Rating => { }, Label => { } );\n1;\n");
  const auto path = Make("both.jpg",
                         "-IPTC:ObjectName='IIM title' -IPTC:Keywords=sea -IPTC:Keywords=sun -IPTC:By-line=Ann "
                         "-IPTC:Caption-Abstract='Caf\xC3\xA9 caption' -IPTC:TimeCreated=14:30:05+01:00 "
                         "-IPTC:DateCreated=2006:05:12 -IPTC:Contact=desk -IPTC:LanguageIdentifier=fr -IPTC:City=Paris "
                         "-XMP-dc:Title='XMP title \xF0\x9F\x98\x80' -XMP-dc:Subject=one -XMP-dc:Subject=two "
                         "-XMP-dc:Creator=Bob -XMP-dc:Description='line1\nline2' "
                         "-XMP-photoshop:DateCreated=2007:01:02T03:04:05+02:00 -XMP-xmpRights:Marked=True "
                         "-XMP-iptcCore:CountryCode=FRA -XMP-iptcCore:Location='Old Town' -XMP-myp:Rating=3 "
                         "-XMP-myp:Label=Red",
                         "-config " + Quoted(config));
  CustomXmpDefinition custom;
  custom.schemas[2] = {"Mine", "http://example.com/myp/1.0/", "myp", {}};
  custom.schemas[2].properties[0] = {"Rating", "05"};
  custom.schemas[2].properties[1] = {"Label", "100"};
  const Columns common = {
      {col::Contact, "desk"},
      {col::Customized, "Field: 135: fr\r\n"},
      // exiftool declares the rights schema with its current prefix "xmpRights"; a schema is
      // recognised by the standard prefix "xapRights" only, so Marked is not read.
      {col::CoreCountryCode, "FRA"},
      {col::CoreLocation, "Old Town"},
      {CustomColumnIndex(5), "3"},
      {CustomColumnIndex(100), "Red"},
  };
  Columns xmpFirst = common;
  xmpFirst.insert({{col::ObjectName, "XMP title \xF0\x9F\x98\x80"},
                   {col::Keywords, "one; two"},
                   {col::Byline, "Bob"},
                   {col::Caption, "line1\r\nline2"},
                   {col::CreatedDate, "2007-01-02"},
                   {col::CreatedTime, "03:04:05+02:00"},
                   {col::Location, "Old Town"}});
  const FileRow xmpRow = Read(path, false, true, custom);
  ExpectColumns(xmpRow, xmpFirst);
  EXPECT_EQ(xmpRow.columns[col::SupportIPTC], "1");
  EXPECT_EQ(xmpRow.columns[col::Width], "64");
  EXPECT_EQ(xmpRow.columns[col::Height], "48");
  EXPECT_TRUE(xmpRow.alerts.empty());

  Columns iimFirst = common;
  iimFirst.insert({{col::ObjectName, "IIM title"},
                   {col::Keywords, "sea; sun"},
                   {col::Byline, "Ann"},
                   {col::Caption, "Caf\xC3\xA9 caption"},
                   {col::CreatedDate, "20060512"},
                   {col::CreatedTime, "14:30:05"},
                   {col::City, "Paris"}});
  ExpectColumns(Read(path, false, false, custom), iimFirst);
}

TEST_F(RealFilesTest, AJpegPacketInUtf16OrUtf32IsDecoded) {
  const std::string packet = PacketOf("-XMP-dc:Title='" + kTitle + "' -XMP-dc:Subject=one -XMP-dc:Subject=two");
  WriteFile(m_dir / "utf8.txt", packet);
  // "UTF-16" and "UTF-32" put a byte order mark first; the others start with "<" and its zeros.
  for (const std::string encoding : {"UTF-16BE", "UTF-16LE", "UTF-16", "UTF-32BE", "UTF-32LE", "UTF-32"}) {
    const auto encoded = m_dir / "encoded.bin";
    ASSERT_EQ(RunQuietly("iconv -f UTF-8 -t " + encoding + " " + Quoted(m_dir / "utf8.txt") + " -o " + Quoted(encoded)),
              0);
    const auto path = JpegWith(App1Xmp(ReadFile(encoded)));
    EXPECT_EQ(Read(path, false).columns[col::ObjectName], "") << encoding;
    const FileRow on = Read(path, true);
    EXPECT_EQ(on.columns[col::ObjectName], kTitle) << encoding;
    EXPECT_EQ(on.columns[col::Keywords], "one; two") << encoding;
    EXPECT_EQ(on.columns[col::SupportIPTC], "1");
    EXPECT_TRUE(on.alerts.empty()) << encoding;
  }
}

TEST_F(RealFilesTest, AJpegPacketWithoutItsWrapperIsRead) {
  const std::string packet = PacketOf("-XMP-dc:Title='" + kTitle + "' -XMP-photoshop:City=Oslo");
  const std::size_t begin = packet.find("<x:xmpmeta");
  const std::size_t rdf = packet.find("<rdf:RDF");
  const std::size_t rdfEnd = packet.find("</rdf:RDF>") + 10;
  const std::size_t end = packet.find("</x:xmpmeta>") + 12;
  ASSERT_TRUE(begin < rdf && rdf < rdfEnd && rdfEnd < end && end < packet.size());
  // Both forms a writer uses: x:xmpmeta first, or rdf:RDF alone.
  for (const std::string& body : {packet.substr(begin, end - begin), packet.substr(rdf, rdfEnd - rdf)}) {
    const auto path = JpegWith(App1Xmp(body));
    EXPECT_EQ(Read(path, false).columns[col::City], "");
    const FileRow on = Read(path, true);
    EXPECT_EQ(on.columns[col::ObjectName], kTitle);
    EXPECT_EQ(on.columns[col::City], "Oslo");
  }
}

TEST_F(RealFilesTest, ExtendedXmpCompletesTheMainPacket) {
  const std::string caption(70'000, 'x');
  WriteFile(m_dir / "long.txt", caption);
  // exiftool moves what does not fit a segment into the extension: here the long description.
  const auto path =
      Make("extended.jpg", "-XMP-dc:Title=Main '-XMP-dc:Description<=" + (m_dir / "long.txt").string() + "'");
  const FileRow off = Read(path, false);
  EXPECT_EQ(off.columns[col::ObjectName], "Main");
  EXPECT_EQ(off.columns[col::Caption], "");
  const FileRow on = Read(path, true);
  EXPECT_EQ(on.columns[col::ObjectName], "Main");
  // Longer than any column holds on every server: cut, and said.
  EXPECT_EQ(on.columns[col::Caption], caption.substr(0, kMaxValueBytes));
  EXPECT_EQ(on.problems, std::vector<std::string>{"Caption cut to 65,535 bytes"});

  // A chunk whose offset does not continue the one before leaves the extension out, and says so.
  std::string bytes = ReadFile(path);
  const std::size_t chunk = bytes.rfind("http://ns.adobe.com/xmp/extension/");
  ASSERT_NE(chunk, std::string::npos);
  bytes[chunk + 35 + 32 + 4 + 2] ^= 0x10;  // the offset's third byte
  WriteFile(path, bytes);
  const FileRow broken = Read(path, true);
  EXPECT_EQ(broken.columns[col::ObjectName], "Main");
  EXPECT_EQ(broken.columns[col::Caption], "");
  EXPECT_FALSE(broken.problems.empty());
}

// Kinds the classic rules read in part or not at all give, with modern formats on, what exiftool
// wrote and the size from their structure (a raw here is a TIFF under another name). With XMP
// first, the classic packet keeps its value; Contact has no XMP source, so it shows the IIM one.
TEST_F(RealFilesTest, EachKindGivesItsMetadataAndSizeFromItsStructure) {
  const std::string iim = "-IPTC:ObjectName='IIM title' -IPTC:City=Bergen -XMP-dc:Title=XmpTitle";
  const std::string xmp = "-XMP-dc:Title='" + kTitle + "' -XMP-dc:Creator=Ann";
  const Columns iimOff = {{col::City, ""}, {col::ObjectName, ""}};
  const Columns iimOn = {{col::City, "Bergen"}, {col::ObjectName, "IIM title"}, {col::Width, "64"}};
  const Columns xmpOff = {{col::ObjectName, "XmpTitle"}, {col::SupportIPTC, "2"}, {col::Width, "64"}};
  const Columns notRead = {{col::ObjectName, ""}, {col::Width, "-"}};
  const Columns read = {{col::ObjectName, kTitle}, {col::Byline, "Ann"}, {col::Width, "64"}, {col::Height, "48"},
                        {col::SupportIPTC, "0"}};
  const struct Case {
    const char* made;
    const char* name;
    std::string tags;
    bool xmpFirst;
    Columns off;
    Columns on;
  } cases[] = {
      {"iptc.tif", "iptc.tif", iim, false, iimOff, iimOn},
      {"iptc.tif", "iptc.tif", iim, true, xmpOff, {{col::ObjectName, "XmpTitle"}}},
      {"iptc.psd", "iptc.psd", iim, false, iimOff, iimOn},
      {"iptc.psd", "iptc.psd", iim, true, xmpOff, {{col::ObjectName, "XmpTitle"}}},
      {"raw.tif", "raw.dng", "-XMP-dc:Title=Raw -IPTC:Contact=Tromso", true,
       {{col::ObjectName, ""}, {col::Width, "-"}, {col::SupportIPTC, "0"}},
       {{col::ObjectName, "Raw"}, {col::Contact, "Tromso"}, {col::Width, "64"}, {col::Height, "48"},
        {col::SupportIPTC, "0"}}},
      {"a.png", "a.png", xmp, true, notRead, read},
      {"z.png", "z.png", "-z " + xmp, true, notRead, read},  // exiftool's -z compresses a PNG's XMP
      {"a.webp", "a.webp", xmp, true, notRead, read},
      {"a.heic", "a.heic", xmp, true, notRead, read},
      {"a.avif", "a.avif", xmp, true, notRead, read},
  };
  for (const Case& c : cases) {
    std::filesystem::rename(Make(c.made, c.tags), m_dir / c.name);
    for (const auto& [modern, expected] : {std::pair{false, &c.off}, std::pair{true, &c.on}}) {
      const FileRow row = Read(m_dir / c.name, modern, c.xmpFirst);
      for (const auto& [column, value] : *expected) EXPECT_EQ(row.columns[column], value) << c.name << " " << column;
    }
  }
}

TEST_F(RealFilesTest, ASidecarGivesTheXmpOfAnImageWithoutAPacket) {
  const auto image = Make("side.jpg", "-IPTC:City=Oslo");
  ASSERT_EQ(
      RunQuietly("exiftool -o " + Quoted(m_dir / "side.xmp") + " -XMP-dc:Title=Beside -XMP-photoshop:City=Bergen"), 0);
  EXPECT_EQ(Read(image, false).columns[col::ObjectName], "");
  const FileRow on = Read(image, true);
  EXPECT_EQ(on.columns[col::ObjectName], "Beside");
  EXPECT_EQ(on.columns[col::City], "Oslo");  // the classic IIM value stays

  // name.ext.xmp too; and an image with its own packet ignores its sidecar.
  std::filesystem::rename(m_dir / "side.xmp", m_dir / "side.jpg.xmp");
  EXPECT_EQ(Read(image, true).columns[col::ObjectName], "Beside");
  const auto own = Make("own.jpg", "-XMP-dc:Creator=Self");
  ASSERT_EQ(RunQuietly("exiftool -o " + Quoted(m_dir / "own.xmp") + " -XMP-dc:Title=Beside"), 0);
  EXPECT_EQ(Read(own, true).columns[col::ObjectName], "");
  EXPECT_EQ(Read(own, true).columns[col::Byline], "Self");
}

}  // namespace
}  // namespace tessarine
