#include "metadata/ContainerReader.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

TEST(SupportCode, ContentWinsOverTheExtension) {
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xD8rest"), "DAT"), "1");
  EXPECT_EQ(SupportCode(AsBytes("II*\0"), "TIF"), "2");
  EXPECT_EQ(SupportCode(AsBytes("\x89PNG"), "JPG"), "2");
  EXPECT_EQ(SupportCode(AsBytes("hello"), "TXT"), "0");
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xFE"), "tif"), "0");  // the caller upper-cases
  EXPECT_EQ(SupportCode(AsBytes("\xFF\xFE"), "PSD"), "2");
}

std::string IimResourceBytes() { return Resource(0x0404, Iim(5, "Title")); }

TEST(FindIimBlock, LocatesTheDataOfAnUnnamedResource) {
  const std::string file = Jpeg(App13(Resource(0x03ED, "xxxx") + IimResourceBytes()));
  IimSearch found = FindIimBlock(AsBytes(file));
  ASSERT_TRUE(found.block);
  EXPECT_FALSE(found.truncated);
  EXPECT_EQ(file.substr(found.block->start, found.block->size), Iim(5, "Title"));
}

TEST(FindIimBlock, LocatesTheDataOfANamedResourceAfterItsPaddedName) {
  for (std::string_view name : {"a", "ab", "IPTC"}) {
    const std::string file = Jpeg(App13(Resource(0x0404, Iim(5, "Named"), name)));
    IimSearch found = FindIimBlock(AsBytes(file));
    ASSERT_TRUE(found.block) << name;
    EXPECT_EQ(file.substr(found.block->start, found.block->size), Iim(5, "Named")) << name;
  }
}

TEST(FindIimBlock, SearchesSegmentsStartingBelowOffset149999Only) {
  const std::string app13 = App13(IimResourceBytes());
  for (std::size_t start : {149'998u, 149'999u}) {
    std::string file = "\xFF\xD8" + std::string(start - 2, '\0') + app13;
    EXPECT_EQ(FindIimBlock(AsBytes(file)).block.has_value(), start == 149'998u) << start;
  }
}

TEST(FindIimBlock, PassesOverAPhotoSegmentWithoutTheIimResource) {
  const std::string file = Jpeg(App13(Resource(0x03ED, "xx")) + App13(IimResourceBytes()));
  IimSearch found = FindIimBlock(AsBytes(file));
  ASSERT_TRUE(found.block);
  EXPECT_EQ(file.substr(found.block->start, found.block->size), Iim(5, "Title"));
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

TEST(FindXmpPacket, FindsThePacketBeforeOrAfterTheExifSegment) {
  const std::string packet = Packet("<rdf:Description/>");
  const auto before = FindXmpPacket(AsBytes(Jpeg(App1Xmp(packet) + App1Exif())), true);
  const auto after = FindXmpPacket(AsBytes(Jpeg(App1Exif() + App1Xmp(packet))), true);
  ASSERT_TRUE(before && after);
  EXPECT_EQ(*before, packet);
  EXPECT_EQ(*after, packet);
}

TEST(FindXmpPacket, IgnoresAPacketThatDoesNotStart29BytesAfterTheLength) {
  const std::string shifted = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0 ", 30) + Packet(""));
  EXPECT_FALSE(FindXmpPacket(AsBytes(Jpeg(shifted)), true));
  EXPECT_FALSE(FindXmpPacket(AsBytes(Jpeg(Segment(0xE2, std::string(29, 'x') + Packet("")))), true));
}

TEST(FindXmpPacket, CutsTheBytesAfterTheTrailerAndKeepsThePaddingBeforeIt) {
  const std::string packet = Packet("<rdf:Description/>", std::string(2000, ' '));
  const auto found = FindXmpPacket(AsBytes(Jpeg(App1Xmp(packet + "garbage after the trailer"))), true);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, packet);
}

TEST(FindXmpPacket, KeepsEverythingUpToTheSegmentEndWithoutATrailer) {
  const std::string body = "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
  const auto found = FindXmpPacket(AsBytes(Jpeg(App1Xmp(body) + App1Exif())), true);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, body);
}

TEST(FindXmpPacket, AnOverrunningSegmentLengthYieldsThePacketUpToTheEndOfTheFile) {
  std::string file = Jpeg(App1Xmp("<?xpacket begin=\"\"?><a>text"));
  file = file.substr(0, file.size() - 2);  // no EOI
  file[4] = '\x7F';                         // the length now claims far more than the file holds
  const auto found = FindXmpPacket(AsBytes(file), true);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, "<?xpacket begin=\"\"?><a>text");
}

TEST(FindXmpPacket, SkipsASegmentWhoseLengthBytesAreZero) {
  std::string file = Jpeg(App1Xmp(Packet("")));
  file[4] = file[5] = '\0';
  EXPECT_FALSE(FindXmpPacket(AsBytes(file), true));
}

TEST(FindXmpPacket, InOtherFilesThePacketMustStartAtOffset33OrLater) {
  const std::string packet = Packet("<rdf:Description/>");
  const std::string at40 = "II*\0" + std::string(36, '\0') + packet + "TAIL";
  const std::string at20 = "II*\0" + std::string(16, '\0') + packet + "TAIL";
  const auto found = FindXmpPacket(AsBytes(at40), false);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, packet);
  EXPECT_FALSE(FindXmpPacket(AsBytes(at20), false));
}

TEST(FindXmpPacket, InOtherFilesThePacketWithoutTrailerLeavesOutTheLastFourBytes) {
  const std::string file = std::string(40, '\0') + "<?xpacket begin=\"\"?><a/>ABCD";
  const auto found = FindXmpPacket(AsBytes(file), false);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, "<?xpacket begin=\"\"?><a/>");
}

TEST(FindXmpPacket, NeedsAByteAfterTheHeader) {
  const std::string exact = std::string(33, '\0') + "<?xpacket begin=";
  EXPECT_FALSE(FindXmpPacket(AsBytes(exact), false));
  const auto found = FindXmpPacket(AsBytes(exact + "x"), false);
  ASSERT_TRUE(found);  // the extent stops four bytes before the end of the file
  EXPECT_EQ(*found, "<?xpacket beg");
}

}  // namespace
}  // namespace tessarine
