#include "metadata/ImageMetadataReader.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <sys/stat.h>

#include "metadata/FileRowReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

using namespace test;

class ImageMetadataReaderTest : public ::testing::Test {
 protected:
  MetadataRecord ReadImage(const std::string& name, const std::string& bytes, bool onlyIptc = false) {
    WriteFile(m_dir / name, bytes);
    MetadataRecord record;
    ReadImageMetadata(m_dir / name, UpperExtension(name), {onlyIptc, &m_parser, &m_dump}, record);
    return record;
  }

  TempDir m_dir;
  XmpParser m_parser{CustomXmpDefinition{}};
  ParsingErrorDump m_dump{m_dir / "ParsingError.xmp"};
};

const std::string kTitlePacket = Packet(
    "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
    "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">XMP title</rdf:li></rdf:Alt></dc:title></rdf:Description>");

TEST_F(ImageMetadataReaderTest, ReadsIimAndXmpByTheKindOfFileAndNoPacketUnderOnlyIptc) {
  const std::string jpeg = Jpeg(App13(Resource(0x0404, Iim(5, "IIM title"))) + App1Xmp(kTitlePacket));
  const std::string text = "text " + App13(Resource(0x0404, Iim(5, "x"))) + kTitlePacket;
  const struct Case {
    const char* name;
    std::string bytes;
    bool onlyIptc;
    const char* support;
    const char* iim;
    const char* xmp;
    XmpState state;
  } cases[] = {
      {"a.jpg", jpeg, false, "1", "IIM title", "XMP title", XmpState::Parsed},
      {"a.jpg", jpeg, true, "1", "IIM title", "", XmpState::NotSearched},
      {"a.TIF", "II*\0" + std::string(60, '\0') + kTitlePacket + "tail", false, "2", "", "XMP title", XmpState::Parsed},
      {"a.psd", "8BPS" + std::string(60, '\0') + kTitlePacket + "tail", false, "2", "", "XMP title", XmpState::Parsed},
      {"notes.txt", text, false, "0", "", "", XmpState::NotSearched},
      {"empty.jpg", "", false, "0", "", "", XmpState::NotSearched},
  };
  for (const Case& c : cases) {
    const MetadataRecord r = ReadImage(c.name, c.bytes, c.onlyIptc);
    EXPECT_EQ(r.supportIptc, c.support) << c.name;
    EXPECT_EQ(r.iim[col::ObjectName], c.iim) << c.name;
    EXPECT_EQ(r.xmp[col::ObjectName], c.xmp) << c.name;
    EXPECT_EQ(r.xmpState, c.state) << c.name;
    EXPECT_TRUE(r.alerts.empty()) << c.name;
  }
  MetadataRecord missing;
  ReadImageMetadata(m_dir / "missing.jpg", "JPG", {false, &m_parser, {}}, missing);
  EXPECT_EQ(missing.supportIptc, "0");
}

TEST_F(ImageMetadataReaderTest, AMalformedPacketRaisesOneAlertWritesTheDumpAndKeepsIim) {
  std::string packet = kTitlePacket.substr(0, kTitlePacket.size() / 2);
  packet.append("\xE9\xFF", 2);
  const MetadataRecord r = ReadImage("cut.jpg", Jpeg(App13(Resource(0x0404, Iim(5, "kept"))) + App1Xmp(packet)));
  EXPECT_EQ(r.xmpState, XmpState::ParseError);
  EXPECT_EQ(r.iim[col::ObjectName], "kept");
  EXPECT_EQ(r.xmp[col::ObjectName], "");
  ASSERT_EQ(r.alerts.size(), 1u);
  EXPECT_EQ(r.alerts[0].kind, ReadAlert::Kind::XmpParseError);
  EXPECT_EQ(r.alerts[0].text.rfind("Parsing error:Line: ", 0), 0u);
  EXPECT_EQ(ReadFile(m_dir / "ParsingError.xmp"), packet + "\n");  // the packet's bytes as they stand
}

// The dump holds image content: its owner's only, the first failed packet of a scan only, and never
// written through a link put at its place.
TEST_F(ImageMetadataReaderTest, TheDumpIsTheOwnersOnlyWrittenOncePerScanAndNeverThroughALink) {
  enum class There { Nothing, OldDump, LinkToFile, LinkToNothing };
  const struct {
    There there;
    bool dumped;
  } cases[] = {{There::Nothing, true}, {There::OldDump, true}, {There::LinkToFile, false}, {There::LinkToNothing, false}};
  const std::string first = kTitlePacket.substr(0, kTitlePacket.size() / 2);
  const std::string second = kTitlePacket.substr(0, kTitlePacket.size() / 3);
  for (const auto& c : cases) {
    TempDir dir;
    const std::filesystem::path dump = dir / "ParsingError.xmp";
    WriteFile(dir / "victim.txt", "precious");
    if (c.there == There::OldDump) {
      WriteFile(dump, "old");
      ::chmod(dump.c_str(), 0644);
    }
    if (c.there == There::LinkToFile) std::filesystem::create_symlink(dir / "victim.txt", dump);
    if (c.there == There::LinkToNothing) std::filesystem::create_symlink(dir / "nowhere", dump);
    ParsingErrorDump scan(dump);
    for (const std::string& packet : {first, second}) {
      WriteFile(dir / "cut.jpg", Jpeg(App1Xmp(packet)));
      MetadataRecord record;
      ReadImageMetadata(dir / "cut.jpg", "JPG", {false, &m_parser, &scan}, record);
      ASSERT_EQ(record.xmpState, XmpState::ParseError);
    }
    const std::string what = "case " + std::to_string(static_cast<int>(c.there));
    EXPECT_EQ(std::filesystem::is_symlink(dump), !c.dumped) << what;
    EXPECT_EQ(ReadFile(dir / "victim.txt"), "precious") << what;
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere")) << what;
    if (!c.dumped) continue;
    EXPECT_EQ(ReadFile(dump), first + "\n") << what;
    struct stat info {};
    ASSERT_EQ(::stat(dump.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << what;
  }
}

TEST_F(ImageMetadataReaderTest, ATruncatedIimBlockKeepsWhatWasReadAndIsNoted) {
  std::string file = Jpeg(App13(Resource(0x0404, Iim(5, "kept") + Iim(120, std::string(200, 'c')))));
  file.resize(file.size() - 150);
  const MetadataRecord r = ReadImage("cut.jpg", file);
  EXPECT_EQ(r.iim[col::ObjectName], "kept");
  EXPECT_EQ(r.iim[col::Caption], "");
  EXPECT_FALSE(r.problems.empty());
}

TEST(UpperExtension, TakesTheTextAfterTheLastDot) {
  EXPECT_EQ(UpperExtension("photo.final.jpeg"), "JPEG");
  EXPECT_EQ(UpperExtension("README"), "");
  EXPECT_EQ(UpperExtension("archive."), "");
  EXPECT_EQ(UpperExtension(".hidden"), "HIDDEN");
}

}  // namespace
}  // namespace tessarine
