#include "metadata/ImageLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "metadata/DecoderService.h"
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
  EXPECT_FALSE(DecodeInProcess(dir / "broken.jpg", "1", "JPG"));
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
