#include "metadata/ImageLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "metadata/DecoderService.h"
#include "metadata/ImageBytes.h"
#include "metadata/containers/PlainJpegHeader.h"
#include "support/FaultyDecoder.h"
#include "support/TestImages.h"

namespace tessarine {
namespace {

using test::SaveImage;

// The decoder is chosen by the support code and the extension. A JPEG's size is its frame header's:
// one whose data ends in a second frame header has the size its first declares, where a full
// decode fails; a TIFF's comes from a full decode.
TEST(LoadImageForScan, DecodesByTheSupportCodeAndTheExtensionAndSizesAJpegByItsHeader) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 333, 17));
  ASSERT_TRUE(SaveImage(dir / "photo.tif", FIF_PNG, 10, 10));
  test::WriteFile(dir / "photo.jpg", "not a jpeg");
  const std::string jpeg = test::ReadFile(dir / "a.jpg");
  test::WriteFile(dir / "head.jpg", jpeg.substr(0, 4));
  const std::size_t frame = jpeg.find("\xFF\xC0");
  const std::size_t end = jpeg.rfind("\xFF\xD9");
  ASSERT_NE(frame, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::size_t length = (std::size_t{static_cast<unsigned char>(jpeg[frame + 2])} << 8) |
                             static_cast<unsigned char>(jpeg[frame + 3]);
  test::WriteFile(dir / "broken.jpg", jpeg.substr(0, end) + jpeg.substr(frame, 2 + length) + jpeg.substr(end));
  const struct {
    const char* name;
    const char* supportIptc;
    const char* ext;
    const char* size;
  } cases[] = {
      {"a.jpg", "1", "JPG", "333x17"},  {"broken.jpg", "1", "JPG", "333x17"},
      {"head.jpg", "1", "JPG", "0x0"},  {"photo.tif", "2", "TIF", "0x0"},  // a PNG named .tif
      {"photo.jpg", "2", "JPG", "-x-"},                                    // a kind that is not decoded
      {"photo.jpg", "0", "TXT", "-x-"},
  };
  for (const auto& c : cases) {
    const ScanImage image = LoadImageForScan(dir / c.name, c.supportIptc, c.ext);
    EXPECT_EQ(image.width + "x" + image.height, c.size) << c.name;
    EXPECT_EQ(image.problem, "") << c.name;
  }

  // A thumbnail is then not made, and the size is the same.
  ImageDecoder decoder;
  const ScanImage image = decoder.Decode(dir / "broken.jpg", "1", "JPG", (dir / "_thumbs_" / "broken.jpg").native());
  EXPECT_EQ(image.width + "x" + image.height, "333x17");
  EXPECT_EQ(image.problem, "the image's pixels could not be decoded: no thumbnail");
  EXPECT_FALSE(std::filesystem::exists(dir / "_thumbs_" / "broken.jpg"));
  // Nor from a header claiming 60000 x 40000 pixels: decoding them would take gigabytes.
  test::WriteFile(dir / "huge.jpg", jpeg.substr(0, frame + 5) + "\x9C\x40\xEA\x60" + jpeg.substr(frame + 9));
  const ScanImage huge = decoder.Decode(dir / "huge.jpg", "1", "JPG", (dir / "_thumbs_" / "huge.jpg").native());
  EXPECT_EQ(huge.width + "x" + huge.height + ": " + huge.problem,
            "60000x40000: the image is too large to decode for a thumbnail");
}

// The size read from a JPEG's header by the program is the image library's wherever it is given:
// over JPEGs of every common form (ImageMagick's and the sample files, when at hand), each cut
// at and within every segment, and with the faults the library refuses a header for. The common
// forms all get it, so the decoder is rarely asked.
TEST(PlainJpegSize, IsTheLibrarysSizeWhereverItIsGiven) {
  test::TempDir dir;
  std::vector<std::string> jpegs;
  for (const char* form : {"", "-interlace JPEG", "-colorspace Gray", "-colorspace CMYK", "-sampling-factor 4:4:4",
                           "-define jpeg:restart-interval=1", "-define jpeg:optimize-coding=false"}) {
    const std::string command = "convert -size 97x61 plasma: " + std::string(form) + " " + (dir / "a.jpg").string();
    if (std::system((command + " 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "ImageMagick missing";
    jpegs.push_back(test::ReadFile(dir / "a.jpg"));
  }
  const char* root = std::getenv("TESSARINE_SOURCE_DIR");
  const std::filesystem::path samples = std::string(root ? root : ".") + "/../shared/corpus/exiftool-samples";
  for (const char* name : {"Canon.jpg", "ExifTool.jpg", "GPS.jpg", "Apple.jpg", "XMP.jpg"}) {
    if (std::filesystem::exists(samples / name)) jpegs.push_back(test::ReadFile(samples / name));
  }
  auto check = [&](const std::string& bytes, bool expectAnswer) {
    const MemoryByteSource source(test::AsBytes(bytes));
    ByteWindow window(source, bytes.size(), 64);
    ByteFields fields(window);
    const std::optional<PixelDimensions> plain = PlainJpegSize(fields);
    if (expectAnswer) {
      EXPECT_TRUE(plain) << bytes.size();
    }
    if (!plain) return;
    test::WriteFile(dir / "v.jpg", bytes);
    const PixelSize library = ReadPixelSize(dir / "v.jpg", "1", "JPG");
    EXPECT_EQ(std::to_string(plain->width) + "x" + std::to_string(plain->height),
              std::to_string(library.width) + "x" + std::to_string(library.height));
  };
  for (const std::string& jpeg : jpegs) {
    check(jpeg, true);
    // The frame header and the scan's, segment by segment.
    std::size_t frame = 2;
    while (frame + 4 < jpeg.size() && (static_cast<unsigned char>(jpeg[frame + 1]) & 0xFC) != 0xC0) {
      frame += 2 + (std::size_t{static_cast<unsigned char>(jpeg[frame + 2])} << 8 | static_cast<unsigned char>(jpeg[frame + 3]));
    }
    const std::size_t scan = jpeg.find("\xFF\xDA", frame);
    for (std::size_t at = 2; at < scan + 12 && at < jpeg.size(); at = jpeg.find('\xFF', at + 1)) {
      for (std::size_t cut : {at, at + 1, at + 3, at + 5}) check(jpeg.substr(0, cut), false);
      // A segment's first payload bytes spoiled: a table's slot, a frame's precision, a scan's component.
      for (char bad : {'\x05', '\x0C', '\x21'}) {
        if (at + 5 < jpeg.size()) check(jpeg.substr(0, at + 4) + bad + jpeg.substr(at + 5), false);
      }
    }
    // A second frame header before the scan.
    check(jpeg.substr(0, scan) + jpeg.substr(frame, 19) + jpeg.substr(scan), false);
  }
}

// A decoder that dies or hangs costs only that file's size, and a new one serves the next files.
// Ctrl-C at a terminal reaches the decoder too (one process group): like the scan, it finishes the
// file in progress instead of dying with it.
TEST(ImageDecoder, ADecoderThatDiesOrHangsCostsOnlyThatFilesSizeAndSignalsCostNothing) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 32, 16));
  ImageDecoder decoder(test::FaultyDecoderProgram(), std::chrono::seconds(1));
  const struct {
    const char* work;
    const char* size;
    const char* problem;
  } cases[] = {
      {"crash", "0x0", "signal"},
      {"hang", "0x0", "did not answer"},
      {"thumbnail", "32x16", "work saw 32x16"},
      {"signals", "32x16", "work saw 32x16"},
      {"thumbnail", "32x16", "work saw 32x16"},
  };
  for (const auto& c : cases) {
    const ScanImage image = decoder.Decode(dir / "a.jpg", "1", "JPG", c.work);
    EXPECT_EQ(image.width + "x" + image.height, c.size) << c.work;
    EXPECT_NE(image.problem.find(c.problem), std::string::npos) << c.work << ": " << image.problem;
    if (image.width == "32") {
      EXPECT_EQ(image.preview.width, 2);
      EXPECT_EQ(image.preview.rgb, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    }
  }
  EXPECT_EQ(decoder.Decode(dir / "a.jpg", "1", "JPG").problem, "");  // no argument, no work
}

// A Stop gives up a file read ahead: its decoding ends at once, whatever the decoder was doing, and
// the next file gets a new decoder. Each decoder process ends with its own decoder: none holds
// another's requests open.
TEST(ImageDecoder, AnAbortFromAnotherThreadEndsTheDecodingInProgressAndEachDecoderEndsAlone) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 32, 16));
  auto first = std::make_unique<ImageDecoder>();
  EXPECT_EQ(first->Decode(dir / "a.jpg", "1", "JPG").width, "32");
  ImageDecoder decoder(test::FaultyDecoderProgram(), std::chrono::seconds(3600));
  std::atomic<bool> done{false};
  ScanImage hung;
  std::thread decoding([&] {
    hung = decoder.Decode(dir / "a.jpg", "1", "JPG", "hang");
    done = true;
  });
  while (!done) {  // an abort before the request is sent does nothing: it is repeated
    decoder.Abort();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  decoding.join();
  EXPECT_EQ(hung.width, "0");
  EXPECT_EQ(hung.problem, "the image decoder died of signal 9");
  EXPECT_EQ(decoder.Decode(dir / "a.jpg", "1", "JPG").width, "32");
  first.reset();  // must not wait for the other decoder's process
  EXPECT_EQ(decoder.Decode(dir / "a.jpg", "1", "JPG").width, "32");
}

}  // namespace
}  // namespace tessarine
