#include "metadata/ImageMetadataReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "metadata/ImageBytes.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

using namespace test;

class ImageMetadataReaderTest : public ::testing::Test {
 protected:
  MetadataRecord ReadImage(const std::filesystem::path& path, bool onlyIptc = false, ParsingErrorDump* dump = {}) {
    MetadataRecord record;
    ReadImageMetadata(path, UpperExtension(path.filename().native()), {onlyIptc, &m_parser, dump}, record);
    return record;
  }

  TempDir m_dir;
  XmpParser m_parser{CustomXmpDefinition{}};
};

// A file far larger than any window (sparse: it takes no room on the disk) is searched to its end.
// A packet at its start is closed by the last trailer within the packet bound; one never closed is
// not read: one problem, no dump, no copy of gigabytes.
TEST_F(ImageMetadataReaderTest, ReadsIimAndXmpByTheKindOfFileToItsEndAndNoPacketUnderOnlyIptc) {
  const std::string jpeg = Jpeg(App13(Resource(0x0404, Iim(5, "IIM title"))) + App1Xmp(TitlePacket()));
  const std::string text = "text " + App13(Resource(0x0404, Iim(5, "x"))) + TitlePacket();
  const std::string tiff = "II*\0" + std::string(60, '\0');
  constexpr std::uint64_t kLarge = std::uint64_t{3} << 30;
  const std::vector<std::string> notClosed = {"XMP packet not closed within 16 MiB: not read"};
  const struct Case {
    const char* name;
    std::string bytes;
    bool onlyIptc;
    const char* support;
    const char* iim;
    const char* xmp;
    XmpState state;
    std::uint64_t size = 0;  // 0: as written
    std::vector<std::string> problems = {};
  } cases[] = {
      {"a.jpg", jpeg, false, "1", "IIM title", "XMP title", XmpState::Parsed},
      {"a.jpg", jpeg, true, "1", "IIM title", "", XmpState::NotSearched},
      {"a.TIF", tiff + TitlePacket() + "tail", false, "2", "", "XMP title", XmpState::Parsed},
      {"notes.txt", text, false, "0", "", "", XmpState::NotSearched},
      {"empty.jpg", "", false, "0", "", "", XmpState::NotSearched},
      {"large.jpg", Jpeg(App13(Resource(0x0404, Iim(5, "large")))), false, "1", "large", "", XmpState::NoPacket,
       kLarge},
      {"large.tif", tiff + TitlePacket(), false, "2", "", "XMP title", XmpState::Parsed, kLarge},
      {"open.tif", tiff + "<?xpacket begin=\"\"?><x:xmpmeta>", false, "2", "", "", XmpState::NoPacket, kLarge,
       notClosed},
  };
  ParsingErrorDump dump(m_dir / "dump.xmp");
  for (const Case& c : cases) {
    WriteFile(m_dir / c.name, c.bytes);
    if (c.size > 0) std::filesystem::resize_file(m_dir / c.name, c.size);
    const MetadataRecord r = ReadImage(m_dir / c.name, c.onlyIptc, &dump);
    EXPECT_EQ(r.supportIptc, c.support) << c.name;
    EXPECT_EQ(r.iim[col::ObjectName], c.iim) << c.name;
    EXPECT_EQ(r.xmp[col::ObjectName], c.xmp) << c.name;
    EXPECT_EQ(r.xmpState, c.state) << c.name;
    EXPECT_EQ(r.problems, c.problems) << c.name;
    EXPECT_TRUE(r.alerts.empty()) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(m_dir / "dump.xmp"));
  EXPECT_EQ(ReadImage(m_dir / "missing.jpg").supportIptc, "0");
}

// A packet that fails keeps the IIM values and raises one alert with the parser's message. Its
// bytes are dumped as they stand, for the first such packet of a scan only. The dump holds image
// content: its owner's only, even over an older one, and never written through a link put at its
// place (the refusal itself is NoFollowFile's).
TEST_F(ImageMetadataReaderTest, AMalformedPacketIsAnAlertAndTheFirstOfAScanIsDumpedForItsOwnerOnly) {
  std::string first = TitlePacket().substr(0, TitlePacket().size() / 2);
  first.append("\xE9\xFF", 2);
  const std::string second = TitlePacket().substr(0, TitlePacket().size() / 3);
  for (const bool linked : {false, true}) {
    TempDir dir;
    const std::filesystem::path dump = dir / "ParsingError.xmp";
    WriteFile(dir / "victim.txt", "precious");
    if (linked) {
      std::filesystem::create_symlink(dir / "victim.txt", dump);
    } else {
      WriteFile(dump, "old");
      ::chmod(dump.c_str(), 0644);
    }
    ParsingErrorDump scan(dump);
    for (const std::string& packet : {first, second}) {
      WriteFile(dir / "cut.jpg", Jpeg(App13(Resource(0x0404, Iim(5, "kept"))) + App1Xmp(packet)));
      const MetadataRecord r = ReadImage(dir / "cut.jpg", false, &scan);
      ASSERT_EQ(r.xmpState, XmpState::ParseError);
      EXPECT_EQ(r.iim[col::ObjectName], "kept");
      MetadataRecord ignored;
      ASSERT_EQ(r.alerts.size(), 1u);
      EXPECT_EQ(r.alerts[0].kind, ReadAlert::Kind::XmpParseError);
      EXPECT_EQ(r.alerts[0].text, ParseErrorMessage(*m_parser.Read(packet, ignored)));
    }
    EXPECT_EQ(std::filesystem::is_symlink(dump), linked);
    EXPECT_EQ(ReadFile(dir / "victim.txt"), "precious");
    if (linked) continue;
    EXPECT_EQ(ReadFile(dump), first + "\n");
    struct stat info {};
    ASSERT_EQ(::stat(dump.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
  }
}

TEST(UpperExtension, TakesTheTextAfterTheLastDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"photo.final.jpeg", "JPEG"}, {"README", ""}, {"archive.", ""}, {".hidden", "HIDDEN"}};
  for (const auto& [name, ext] : cases) EXPECT_EQ(UpperExtension(name), ext) << name;
}

}  // namespace
}  // namespace tessarine
