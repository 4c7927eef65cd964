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
  // The bare codestream is small: height 8 * 2 = 16, ratio 5: width 16 * 16 / 9.
  const std::string jxl = std::string("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12) + Box("ftyp", "jxl \0\0\0\0jxl ") +
                          Box("xml ", kXmp) + Box("jxlc", sized);
  // Three comments of 60,000 bytes push the APP13 segment past the classic search's 149,999 bytes.
  std::string comments;
  for (int i = 0; i < 3; ++i) comments += Segment(0xFE, std::string(60'000, 'c'));
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
      {"bare JPEG XL codestream with a ratio", Codestream({{1, 1}, {1, 5}, {5, 3}}), {}, {}, 28, 16, false},
      {"HEIF item in the idat box", Heif(3, static_cast<std::uint32_t>(kXmp.size())), kXmp, {}, 640, 480, false},
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

// A JPEG's EXIF thumbnail (inside its segment only) and orientation; the pictures of its
// multi-picture index after the first; a raw file's JPEG streams in a strip or tag 46, but for one
// whose tables lie apart (347), beside the size of its full-resolution image; a raw file of boxes:
// its packet, the size and orientation of its camera's directory (little-endian, as cameras write
// it, among big-endian boxes), its thumbnail and preview.
TEST(ContainerStructureTest, FindsThePreviewsAFileCarriesAndTheImagesOrientation) {
  const std::string thumb = JpegFrame(240, 160);
  const std::string frame = JpegFrame(3000, 2000).substr(2, 13);  // the main image's frame header
  auto exif = [&](std::size_t thumbAt, std::size_t length) {
    return Segment(0xE1, std::string("Exif\0\0MM\0*", 10) + Be32(8) + TiffDirectory({TiffEntry(274, 3, 1, 6)}, 26) +
                             TiffDirectory({TiffEntry(513, 4, 1, thumbAt), TiffEntry(514, 4, 1, length)}) + thumb);
  };
  const std::string large = JpegFrame(1920, 1280);
  const std::string mpEntries = Be32(0x030000) + Be32(0) + Be32(0) + Be32(0) + Be32(0x010002) + Be32(large.size());
  const std::string withIndex = Jpeg(Segment(0xE2, std::string("MPF\0MM\0*", 8) + Be32(8) +
                                                       TiffDirectory({TiffEntry(0xB002, 7, 32, 26)}) + mpEntries +
                                                       Be32(2 + 4 + 4 + 26 + 32 + frame.size() + 2 - 10) + Be32(0)) +
                                     frame);
  // Directory 0 at 8 (6 entries), the SubIFD offsets at 86, SubIFDs at 98, 140 and 194, data at 248.
  const std::string full = JpegFrame(6000, 4000);
  const std::string strip = JpegFrame(1620, 1080);
  const std::string tabled = JpegFrame(999, 666);
  const std::string raw =
      std::string("MM\0*", 4) + Be32(8) +
      TiffDirectory({TiffEntry(254, 4, 1, 1), TiffEntry(256, 4, 1, 160), TiffEntry(257, 4, 1, 120),
                     TiffEntry(274, 3, 1, 8), TiffEntry(330, 4, 3, 86), TiffEntry(46, 7, full.size(), 248)}) +
      Be32(98) + Be32(140) + Be32(194) +
      TiffDirectory({TiffEntry(254, 4, 1, 0), TiffEntry(256, 4, 1, 6000), TiffEntry(257, 4, 1, 4000)}) +
      TiffDirectory({TiffEntry(254, 4, 1, 1), TiffEntry(259, 3, 1, 6), TiffEntry(273, 4, 1, 248 + full.size()),
                     TiffEntry(279, 4, 1, strip.size())}) +
      TiffDirectory({TiffEntry(259, 3, 1, 7), TiffEntry(273, 4, 1, 248 + full.size() + strip.size()),
                     TiffEntry(279, 4, 1, tabled.size()), TiffEntry(347, 7, 4, 0)}) +
      full + strip + tabled;
  const std::string cr3 =
      Box("ftyp", std::string("crx \0\0\0\x01", 8)) +
      Box("moov", Box("uuid", "\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48" +
                                  Box("THMB", std::string(16, '\0') + JpegFrame(160, 120)) +
                                  Box("CMT1", std::string("II*\0", 4) + Le32(8) +
                                                  TiffDirectory({TiffEntry(256, 4, 1, 6000, true),
                                                                 TiffEntry(257, 4, 1, 4000, true),
                                                                 TiffEntry(274, 3, 1, 3, true)},
                                                                0, true)))) +
      Box("uuid", "\xBE\x7A\xCF\xCB\x97\xA9\x42\xE8\x9C\x71\x99\x94\x91\xE3\xAF\xAC" + kXmp) +
      Box("uuid", "\xEA\xF4\x2B\x5E\x1C\x98\x4B\x88\xB9\xFB\xB7\xDC\x40\x6E\x4D\x16" + std::string(8, '\0') +
                      Box("PRVW", std::string(18, '\0') + JpegFrame(1620, 1080)));
  const struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> previews;  // "offset:WxH"
    int orientation;
    std::uint32_t width;  // the image's
    std::optional<std::string> xmp;
  } cases[] = {
      {"EXIF thumbnail", Jpeg(exif(56, thumb.size()) + frame), {"68:240x160"}, 6, 3000, {}},
      {"EXIF thumbnail past its segment", Jpeg(exif(57, thumb.size()) + frame), {}, 6, 3000, {}},
      {"EXIF thumbnail cut short", Jpeg(exif(56, thumb.size() - 2) + frame), {}, 6, 3000, {}},
      {"multi-picture index", withIndex + large, {std::to_string(withIndex.size()) + ":1920x1280"}, 0, 3000, {}},
      {"raw file", raw, {"248:6000x4000", std::to_string(248 + full.size()) + ":1620x1080"}, 8, 6000, {}},
      {"raw file of boxes", cr3,
       {std::to_string(cr3.find(JpegFrame(160, 120))) + ":160x120",
        std::to_string(cr3.find(JpegFrame(1620, 1080))) + ":1620x1080"},
       3, 6000, kXmp},
  };
  for (const Case& c : cases) {
    const MemoryByteSource source(AsBytes(c.bytes));
    ByteWindow window(source, c.bytes.size(), 64);
    const ContainerFindings found = ReadContainerStructure(window);
    std::vector<std::string> previews;
    for (const EmbeddedPreview& p : found.previews) {
      previews.push_back(std::to_string(p.offset) + ":" + std::to_string(p.size.width) + "x" +
                         std::to_string(p.size.height));
      EXPECT_EQ(c.bytes.substr(p.offset, p.length).substr(0, 2), "\xFF\xD8") << c.what;
    }
    EXPECT_EQ(previews, c.previews) << c.what;
    EXPECT_EQ(found.orientation, c.orientation) << c.what;
    EXPECT_EQ(found.size ? found.size->width : 0, c.width) << c.what;
    EXPECT_EQ(found.xmp, c.xmp) << c.what;
  }
}

}  // namespace
}  // namespace tessarine
