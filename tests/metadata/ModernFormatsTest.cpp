// Files made at test time by ImageMagick and exiftool (and iconv), read as a scan reads them with
// modern formats off and on: off, the rows are the classic ones; on, the metadata the classic rules
// miss lands in the columns they left empty.

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

bool HaveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }
int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }
std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

const std::string kTitle = "Caf\xC3\xA9 \xE2\x82\xAC title";  // é and € survive every encoding

class ModernFormatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("exiftool") || !HaveTool("convert") || !HaveTool("iconv")) {
      GTEST_SKIP() << "exiftool, ImageMagick or iconv missing: scripts/install-deps.sh installs them";
    }
  }

  // A 64x48 image of the kind the name says, with the tags exiftool writes.
  std::filesystem::path Make(const std::string& name, const std::string& tags = "") {
    const auto path = m_dir / name;
    EXPECT_EQ(RunQuietly("convert -size 64x48 xc:gray " + Quoted(path)), 0) << name;
    if (!tags.empty()) {
      EXPECT_EQ(RunQuietly("exiftool -overwrite_original -codedcharacterset=utf8 " + tags + " " + Quoted(path)), 0) << name;
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
  std::filesystem::path JpegWith(const std::string& name, const std::string& segment) {
    const auto path = Make(name);
    const std::string bytes = ReadFile(path);
    WriteFile(path, bytes.substr(0, 2) + segment + bytes.substr(2));
    return path;
  }

  FileRow Read(const std::filesystem::path& path, bool modern, bool xmpOverIptc = true) {
    MetadataReadContext context{false, &m_parser, nullptr};
    context.modernFormats = modern;
    return ReadFileRow(path, context, xmpOverIptc);
  }

  std::string Encoded(const std::string& text, const std::string& encoding) {
    const auto in = m_dir / "utf8.txt";
    const auto out = m_dir / "encoded.bin";
    WriteFile(in, text);
    EXPECT_EQ(RunQuietly("iconv -f UTF-8 -t " + encoding + " " + Quoted(in) + " -o " + Quoted(out)), 0) << encoding;
    return ReadFile(out);
  }

  TempDir m_dir;
  XmpParser m_parser{CustomXmpDefinition{}};
};

TEST_F(ModernFormatsTest, AJpegPacketInUtf16OrUtf32IsDecoded) {
  const std::string packet = PacketOf("-XMP-dc:Title='" + kTitle + "' -XMP-dc:Subject=one -XMP-dc:Subject=two");
  // "UTF-16" and "UTF-32" put a byte order mark first; the others start with "<" and its zeros.
  for (const char* encoding : {"UTF-16BE", "UTF-16LE", "UTF-16", "UTF-32BE", "UTF-32LE", "UTF-32"}) {
    const auto path = JpegWith("wide.jpg", App1Xmp(Encoded(packet, encoding)));
    const FileRow off = Read(path, false);
    EXPECT_EQ(off.columns[col::ObjectName], "") << encoding;
    const FileRow on = Read(path, true);
    EXPECT_EQ(on.columns[col::ObjectName], kTitle) << encoding;
    EXPECT_EQ(on.columns[col::Keywords], "one; two") << encoding;
    EXPECT_EQ(on.columns[col::SupportIPTC], "1");
    EXPECT_TRUE(on.alerts.empty()) << encoding;
  }
}

TEST_F(ModernFormatsTest, AJpegPacketWithoutItsWrapperIsRead) {
  const std::string packet = PacketOf("-XMP-dc:Title='" + kTitle + "' -XMP-photoshop:City=Oslo");
  const std::size_t begin = packet.find("<x:xmpmeta");
  const std::size_t end = packet.find("</x:xmpmeta>");
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::string bare = packet.substr(begin, end + 12 - begin);
  const std::size_t rdf = bare.find("<rdf:RDF");
  const std::size_t rdfEnd = bare.find("</rdf:RDF>");
  ASSERT_NE(rdf, std::string::npos);
  // Both forms a writer uses: x:xmpmeta first, or rdf:RDF alone.
  for (const std::string& body : {bare, bare.substr(rdf, rdfEnd + 10 - rdf)}) {
    const auto path = JpegWith("bare.jpg", App1Xmp(body));
    EXPECT_EQ(Read(path, false).columns[col::City], "");
    const FileRow on = Read(path, true);
    EXPECT_EQ(on.columns[col::ObjectName], kTitle);
    EXPECT_EQ(on.columns[col::City], "Oslo");
  }
}

TEST_F(ModernFormatsTest, ExtendedXmpCompletesTheMainPacket) {
  const auto text = m_dir / "long.txt";
  const std::string caption(70'000, 'x');
  WriteFile(text, caption);
  // exiftool moves what does not fit a segment into the extension: here the long description.
  const auto path = Make("extended.jpg", "-XMP-dc:Title=Main '-XMP-dc:Description<=" + text.string() + "'");
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
TEST_F(ModernFormatsTest, EachKindGivesItsMetadataAndSizeFromItsStructure) {
  using Columns = std::map<std::size_t, std::string>;
  const std::string iim = "-IPTC:ObjectName='IIM title' -IPTC:City=Bergen -XMP-dc:Title=XmpTitle";
  const std::string xmp = "-XMP-dc:Title='" + kTitle + "' -XMP-dc:Creator=Ann";
  const Columns iimOff = {{col::City, ""}, {col::ObjectName, ""}};
  const Columns iimOn = {{col::City, "Bergen"}, {col::ObjectName, "IIM title"}, {col::Width, "64"}};
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
      {"iptc.tif", "iptc.tif", iim, true, {}, {{col::ObjectName, "XmpTitle"}}},
      {"iptc.psd", "iptc.psd", iim, false, iimOff, iimOn},
      {"iptc.psd", "iptc.psd", iim, true, {}, {{col::ObjectName, "XmpTitle"}}},
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

TEST_F(ModernFormatsTest, AJpegApp13BeyondTheClassicSearchIsFound) {
  const auto path = Make("late.jpg", "-IPTC:ObjectName=Late -IPTC:Headline=Far");
  std::string bytes = ReadFile(path);
  // Three comments of 60,000 bytes push the APP13 segment past the classic search's 149,999 bytes.
  std::string comments;
  for (int i = 0; i < 3; ++i) comments += Segment(0xFE, std::string(60'000, 'c'));
  WriteFile(path, bytes.substr(0, 2) + comments + bytes.substr(2));
  EXPECT_EQ(Read(path, false).columns[col::ObjectName], "");
  const FileRow on = Read(path, true);
  EXPECT_EQ(on.columns[col::ObjectName], "Late");
  EXPECT_EQ(on.columns[col::Headline], "Far");
}

TEST_F(ModernFormatsTest, ASidecarGivesTheXmpOfAnImageWithoutAPacket) {
  const auto image = Make("side.jpg", "-IPTC:City=Oslo");
  ASSERT_EQ(RunQuietly("exiftool -o " + Quoted(m_dir / "side.xmp") + " -XMP-dc:Title=Beside -XMP-photoshop:City=Bergen"), 0);
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
