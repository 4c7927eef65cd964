#include "metadata/ContainerReader.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

TEST(SupportCode, ContentWinsOverTheExtension) {
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xD8rest"), "DAT"), "1");
  EXPECT_EQ(SupportCode(AsBytes("\x89PNG"), "JPG"), "2");
  EXPECT_EQ(SupportCode(AsBytes("hello"), "TXT"), "0");
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xFE"), "tif"), "0");  // the caller upper-cases
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xFE"), "PSD"), "2");
}

std::string IimResourceBytes() { return Resource(0x0404, Iim(5, "Title")); }

// The data of the 0x0404 resource of the first Photoshop segment that holds one, after its padded name.
TEST(FindIimBlock, LocatesTheDataOfTheIimResourceInTheFirstPhotoSegmentThatHoldsIt) {
  for (const std::string& file : {Jpeg(App13(Resource(0x03ED, "xxxx") + IimResourceBytes())),
                                  Jpeg(App13(Resource(0x03ED, "xx")) + App13(IimResourceBytes())),
                                  Jpeg(App13(Resource(0x0404, Iim(5, "Title"), "a"))),
                                  Jpeg(App13(Resource(0x0404, Iim(5, "Title"), "ab")))}) {
    const IimSearch found = FindIimBlock(AsBytes(file));
    ASSERT_TRUE(found.block);
    EXPECT_FALSE(found.truncated);
    EXPECT_EQ(file.substr(found.block->start, found.block->size), Iim(5, "Title"));
  }
}

// Where a segment starts counts, not where its resource lies; through any window.
TEST(FindIimBlock, SearchesSegmentsStartingBelowOffset149999Only) {
  const struct {
    std::size_t start;
    std::size_t before;  // bytes before the resource in the segment
    bool found;
  } cases[] = {{149'998, 0, true}, {149'999, 0, false}, {149'980, 200, true}};
  for (const auto& c : cases) {
    const std::string file =
        "\xFF\xD8" + std::string(c.start - 2, '\0') + App13(std::string(c.before, 'r') + IimResourceBytes());
    const MemoryByteSource source(AsBytes(file));
    for (std::size_t capacity : {std::size_t{64}, ByteWindow::kDefaultCapacity}) {
      ByteWindow window(source, file.size(), capacity);
      EXPECT_EQ(FindIimBlock(window).block.has_value(), c.found) << c.start << " window " << capacity;
    }
  }
}

TEST(FindIimBlock, MarksAResourceCutOffByTheEndOfTheFile) {
  const std::string whole = Jpeg(App13(IimResourceBytes()));
  const std::size_t header = whole.find("8BIM");
  for (std::size_t cut : {header + 7, header + 9, header + 11}) {
    IimSearch found = FindIimBlock(AsBytes(std::string_view(whole).substr(0, cut)));
    EXPECT_FALSE(found.block && !found.truncated) << cut;
  }
  IimSearch overrun = FindIimBlock(AsBytes(std::string_view(whole).substr(0, header + 14)));
  ASSERT_TRUE(overrun.block);
  EXPECT_TRUE(overrun.truncated);
}

// In a JPEG, the APP1 packet through its trailer or the end of its segment; in other files, a packet
// from offset 33 on, its last four bytes left out where it has no trailer.
TEST(FindXmpPacket, TakesTheJpegsApp1PacketOrAnotherFilesPacketFromOffset33) {
  const std::string packet = Packet("<rdf:Description/>");
  const std::string padded = Packet("<rdf:Description/>", std::string(2000, ' '));
  const std::string bare = "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
  std::string overrun = Jpeg(App1Xmp("<?xpacket begin=\"\"?><a>text"));
  overrun.resize(overrun.size() - 2);  // no EOI
  overrun[4] = '\x7F';                 // the length now claims far more than the file holds
  std::string zeroLength = Jpeg(App1Xmp(Packet("")));
  zeroLength[4] = zeroLength[5] = '\0';
  const std::string header = std::string(33, '\0') + "<?xpacket begin=";
  const struct {
    const char* what;
    bool jpeg;
    std::string file;
    std::optional<std::string> expected;
  } cases[] = {
      {"before the Exif segment", true, Jpeg(App1Xmp(packet) + App1Exif()), packet},
      {"after the Exif segment", true, Jpeg(App1Exif() + App1Xmp(packet)), packet},
      {"bytes after the trailer", true, Jpeg(App1Xmp(padded + "garbage after the trailer")), padded},
      {"no trailer", true, Jpeg(App1Xmp(bare) + App1Exif()), bare},
      {"length past the end of the file", true, overrun, "<?xpacket begin=\"\"?><a>text"},
      {"zero length", true, zeroLength, std::nullopt},
      {"not 29 bytes after the length", true,
       Jpeg(Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0 ", 30) + Packet(""))), std::nullopt},
      {"not in an APP1 segment", true, Jpeg(Segment(0xE2, std::string(29, 'x') + Packet(""))), std::nullopt},
      {"at 40", false, "II*\0" + std::string(36, '\0') + packet + "TAIL", packet},
      {"at 20", false, "II*\0" + std::string(16, '\0') + packet + "TAIL", std::nullopt},
      {"no trailer, not a JPEG", false, std::string(40, '\0') + "<?xpacket begin=\"\"?><a/>ABCD",
       "<?xpacket begin=\"\"?><a/>"},
      {"nothing after the header", false, header, std::nullopt},
      {"one byte after the header", false, header + "x", "<?xpacket beg"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindXmpPacket(AsBytes(c.file), c.jpeg), c.expected) << c.what;
}

}  // namespace
}  // namespace tessarine
