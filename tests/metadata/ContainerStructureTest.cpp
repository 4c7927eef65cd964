// The structure readers on bytes built here: forms no tool at hand writes (JPEG XL, XMP in an idat
// box), and hostile lengths and offsets, which must give nothing or a problem, never a read past
// the data or an allocation of the size they claim.

#include "metadata/containers/ContainerStructure.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

ContainerFindings Read(const std::string& bytes, std::size_t capacity = 64) {
  const MemoryByteSource source(AsBytes(bytes));
  ByteWindow window(source, bytes.size(), capacity);
  return ReadContainerStructure(window);
}

std::string Box(std::string_view type, std::string_view payload) { return Be32(payload.size() + 8) + std::string(type) + std::string(payload); }

const std::string kXmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF/></x:xmpmeta>";

TEST(ContainerStructureTest, AJpegXlContainerGivesItsXmlBoxAndItsCodestreamSize) {
  // Size header: not small (0), height selector 1 (13 bits) value 599, ratio 0, width selector 1 value 799.
  std::uint64_t bits = 0;
  int at = 0;
  auto put = [&](std::uint64_t value, int count) {
    bits |= value << at;
    at += count;
  };
  put(0, 1);
  put(1, 2);
  put(599, 13);
  put(0, 3);
  put(1, 2);
  put(799, 13);
  std::string header = "\xFF\x0A";
  for (int i = 0; i < 5; ++i) header.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  const std::string file = std::string("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12) + Box("ftyp", "jxl \0\0\0\0jxl ") +
                           Box("xml ", kXmp) + Box("jxlc", header);
  const ContainerFindings found = Read(file);
  EXPECT_TRUE(found.recognised);
  ASSERT_TRUE(found.xmp);
  EXPECT_EQ(*found.xmp, kXmp);
  ASSERT_TRUE(found.size);
  EXPECT_EQ(found.size->width, 800u);
  EXPECT_EQ(found.size->height, 600u);

  // A bare codestream with a ratio: height 8 * 2 = 16 (small), width 16 * 16 / 9.
  bits = 0;
  at = 0;
  put(1, 1);
  put(1, 5);
  put(5, 3);
  std::string bare = "\xFF\x0A";
  for (int i = 0; i < 2; ++i) bare.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  const ContainerFindings small = Read(bare);
  ASSERT_TRUE(small.size);
  EXPECT_EQ(small.size->height, 16u);
  EXPECT_EQ(small.size->width, 28u);
}

// A HEIF whose XMP item lies in the idat box (construction method 1), version 1 iloc.
std::string Heif(std::uint32_t extentOffset, std::uint32_t extentLength) {
  const std::string infe = Box("infe", std::string("\x02\0\0\0", 4) + Be16(7) + Be16(0) + "mime" + std::string("\0", 1) +
                                           "application/rdf+xml" + std::string("\0", 1));
  const std::string iinf = Box("iinf", std::string("\0\0\0\0", 4) + Be16(1) + infe);
  // offset 4, length 4, base 0, index 0; one item: id 7, method 1, reference 0, no base, one extent.
  const std::string iloc = Box("iloc", std::string("\x01\0\0\0", 4) + std::string("\x44\x00", 2) + Be16(1) + Be16(7) +
                                           Be16(1) + Be16(0) + Be16(1) + Be32(extentOffset) + Be32(extentLength));
  const std::string ispe = Box("ispe", std::string("\0\0\0\0", 4) + Be32(640) + Be32(480));
  const std::string iprp = Box("iprp", Box("ipco", ispe));
  const std::string idat = Box("idat", "pad" + kXmp);
  const std::string meta = Box("meta", std::string("\0\0\0\0", 4) + Box("hdlr", std::string(20, '\0')) + iinf + iloc + iprp + idat);
  return Box("ftyp", "heic\0\0\0\0mif1") + meta;
}

TEST(ContainerStructureTest, AHeifItemInTheIdatBoxIsReadAndOneOutsideItIsNot) {
  const ContainerFindings found = Read(Heif(3, static_cast<std::uint32_t>(kXmp.size())));
  ASSERT_TRUE(found.xmp);
  EXPECT_EQ(*found.xmp, kXmp);
  ASSERT_TRUE(found.size);
  EXPECT_EQ(found.size->width, 640u);

  for (const auto& [offset, length] : {std::pair<std::uint32_t, std::uint32_t>{3, 0xFFFFFFF0}, {0xFFFFFFF0, 10}, {3, 200}}) {
    const ContainerFindings hostile = Read(Heif(offset, length));
    EXPECT_FALSE(hostile.xmp) << offset << " " << length;
    EXPECT_FALSE(hostile.problems.empty());
  }
}

TEST(ContainerStructureTest, TiffDirectoriesThatLoopOrPointAwayEndTheWalk) {
  // IFD0 at 8 with one entry (700, 4 GB of bytes at offset 16), its next directory itself.
  std::string tiff = std::string("MM\0\x2A", 4) + Be32(8) + Be16(1) + Be16(700) + Be16(7) + Be32(0xFFFFFFFF) + Be32(16) +
                     Be32(8);
  const ContainerFindings found = Read(tiff);
  EXPECT_TRUE(found.recognised);
  EXPECT_FALSE(found.xmp);
  EXPECT_FALSE(found.problems.empty());
}

TEST(ContainerStructureTest, HostileChunkLengthsReadNothingPastTheData) {
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(3) + Be32(2) + std::string(5, '\0') +
                          "CRC!" + Be32(0x7FFFFFFF) + "iTXt" + "XML:com.adobe.xmp" + std::string(1, '\0');
  const ContainerFindings found = Read(png);
  ASSERT_TRUE(found.size);
  EXPECT_EQ(found.size->width, 3u);
  EXPECT_FALSE(found.xmp);
  EXPECT_FALSE(found.problems.empty());

  // An extension that claims 4 GB is never held.
  const std::string main = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" xmpNote:HasExtendedXMP=\"0123456789ABCDEF0123456789ABCDEF\"/>";
  const std::string chunk = std::string("http://ns.adobe.com/xmp/extension/\0", 35) + "0123456789ABCDEF0123456789ABCDEF" +
                            Be32(0xFFFFFFFF) + Be32(0) + "<x:xmpmeta/>";
  const ContainerFindings jpeg = Read(Jpeg(App1Xmp(main) + Segment(0xE1, chunk)));
  ASSERT_TRUE(jpeg.xmp);
  EXPECT_FALSE(jpeg.extendedXmp);
  EXPECT_FALSE(jpeg.problems.empty());
}

}  // namespace
}  // namespace tessarine
