// The structure readers on bytes built here: forms no tool at hand writes (JPEG XL, XMP in an idat
// box, an APP13 segment past the classic search), and hostile offsets and lengths, which must give
// nothing and a problem, never a read past the data or an allocation of the size they claim. More
// hostile forms (a TIFF directory that loops, a PNG chunk or a JPEG extension claiming gigabytes)
// are the fuzzer's seeds (tests/fuzz/seeds/modern-*), read there under the address sanitizer.

#include "metadata/containers/ContainerStructure.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

std::string Box(std::string_view type, std::string_view payload) {
  return Be32(payload.size() + 8) + std::string(type) + std::string(payload);
}

const std::string kXmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF/></x:xmpmeta>";

// A JPEG XL codestream: its signature and size header, fields written from the lowest bit up.
std::string Codestream(std::initializer_list<std::pair<std::uint64_t, int>> fields) {
  std::uint64_t bits = 0;
  int at = 0;
  for (const auto& [value, count] : fields) {
    bits |= value << at;
    at += count;
  }
  std::string header = "\xFF\x0A";
  for (int i = 0; i < (at + 7) / 8; ++i) header.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  return header;
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

TEST(ContainerStructureTest, ReadsWhatEachStructureHoldsAndNothingPastItsData) {
  // Not small (0), height selector 1 (13 bits) value 599, ratio 0, width selector 1 value 799.
  const std::string sized = Codestream({{0, 1}, {1, 2}, {599, 13}, {0, 3}, {1, 2}, {799, 13}});
  // Small: height 8 * 2 = 16, ratio 5: width 16 * 16 / 9.
  const std::string ratio = Codestream({{1, 1}, {1, 5}, {5, 3}});
  const std::string jxl = std::string("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12) + Box("ftyp", "jxl \0\0\0\0jxl ") +
                          Box("xml ", kXmp) + Box("jxlc", sized);
  // Three comments of 60,000 bytes push the APP13 segment past the classic search's 149,999 bytes.
  std::string comments;
  for (int i = 0; i < 3; ++i) comments += Segment(0xFE, std::string(60'000, 'c'));
  const auto xmpLength = static_cast<std::uint32_t>(kXmp.size());
  const struct Case {
    const char* what;
    std::string bytes;
    std::optional<std::string> xmp;
    std::optional<std::string> iim;
    std::uint32_t width;  // 0: no size
    std::uint32_t height;
    bool problems;
  } cases[] = {
      {"JPEG XL container", jxl, kXmp, {}, 800, 600, false},
      {"bare JPEG XL codestream with a ratio", ratio, {}, {}, 28, 16, false},
      {"HEIF item in the idat box", Heif(3, xmpLength), kXmp, {}, 640, 480, false},
      {"HEIF item longer than the file", Heif(3, 0xFFFFFFF0), {}, {}, 640, 480, true},
      {"HEIF item far past the idat box", Heif(0xFFFFFFF0, 10), {}, {}, 640, 480, true},
      {"HEIF item past the idat box", Heif(3, 200), {}, {}, 640, 480, true},
      {"JPEG APP13 past 149,999", Jpeg(comments + App13(Resource(0x0404, Iim(5, "Late")))), {}, Iim(5, "Late"), 0, 0,
       false},
  };
  for (const Case& c : cases) {
    const MemoryByteSource source(AsBytes(c.bytes));
    ByteWindow window(source, c.bytes.size(), 64);
    const ContainerFindings found = ReadContainerStructure(window);
    EXPECT_TRUE(found.recognised) << c.what;
    EXPECT_EQ(found.xmp, c.xmp) << c.what;
    EXPECT_FALSE(found.extendedXmp) << c.what;
    EXPECT_EQ(found.iim, c.iim) << c.what;
    EXPECT_EQ(found.size ? found.size->width : 0, c.width) << c.what;
    EXPECT_EQ(found.size ? found.size->height : 0, c.height) << c.what;
    EXPECT_EQ(!found.problems.empty(), c.problems) << c.what;
  }
}

}  // namespace
}  // namespace tessarine
