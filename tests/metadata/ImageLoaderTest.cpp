#include "metadata/ImageLoader.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "support/FaultyDecoder.h"
#include "support/TestImages.h"

namespace tessarine {
namespace {

using test::SaveImage;

TEST(LoadImageForScan, DecodesByTheSupportCodeAndTheExtensionAndSurvivesADamagedJpeg) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 160, 120));
  ASSERT_TRUE(SaveImage(dir / "b.tif", FIF_TIFF, 100, 50));
  ASSERT_TRUE(SaveImage(dir / "photo.tif", FIF_PNG, 10, 10));
  test::WriteFile(dir / "photo.jpg", "not a jpeg");
  const std::string whole = test::ReadFile(dir / "a.jpg");
  test::WriteFile(dir / "cut.jpg", whole.substr(0, whole.size() * 3 / 4));
  test::WriteFile(dir / "head.jpg", whole.substr(0, 4));

  const struct {
    const char* name;
    const char* supportIptc;
    const char* ext;
    const char* width;
    const char* height;
  } cases[] = {
      {"a.jpg", "1", "JPG", "160", "120"},    {"b.tif", "2", "TIF", "100", "50"},
      {"photo.tif", "2", "TIF", "0", "0"},    // a PNG named .tif
      {"photo.jpg", "2", "JPG", "-", "-"},    // a kind that is not decoded
      {"photo.jpg", "0", "TXT", "-", "-"},
      {"cut.jpg", "1", "JPG", "160", "120"},  // a cut JPEG still decodes, its lower part grey
      {"head.jpg", "1", "JPG", "0", "0"},
  };
  for (const auto& c : cases) {
    const ScanImage image = LoadImageForScan(dir / c.name, c.supportIptc, c.ext);
    EXPECT_EQ(image.width, c.width) << c.name;
    EXPECT_EQ(image.height, c.height) << c.name;
  }
  EXPECT_EQ(LoadImageForScan(dir / "a.jpg", "1", "JPG").problem, "");
}

TEST(ImageDecoder, ADecoderThatDiesOrHangsCostsOnlyThatFilesSize) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 32, 16));
  ImageDecoder decoder(test::FaultyDecoderProgram(), std::chrono::seconds(1));

  ScanImage crashed = decoder.Decode(dir / "a.jpg", "1", "JPG", "crash");
  EXPECT_EQ(crashed.width, "0");
  EXPECT_EQ(crashed.height, "0");
  EXPECT_NE(crashed.problem.find("signal"), std::string::npos);

  ScanImage hung = decoder.Decode(dir / "a.jpg", "1", "JPG", "hang");
  EXPECT_EQ(hung.width, "0");
  EXPECT_NE(hung.problem.find("did not answer"), std::string::npos);

  for (int i = 0; i < 3; ++i) {  // a new decoder serves the next files, one after another
    ScanImage next = decoder.Decode(dir / "a.jpg", "1", "JPG", "thumbnail");
    EXPECT_EQ(next.width, "32");
    EXPECT_EQ(next.problem, "work saw 32x16");
    EXPECT_EQ(next.preview.width, 2);
    EXPECT_EQ(next.preview.rgb, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  }
  EXPECT_EQ(decoder.Decode(dir / "a.jpg", "1", "JPG").problem, "");  // no argument, no work
}

// A Stop gives up a file read ahead: its decoding ends at once, whatever the decoder was doing, and
// the next file gets a new decoder.
TEST(ImageDecoder, AnAbortFromAnotherThreadEndsTheDecodingInProgress) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 32, 16));
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
}

// Ctrl-C at a terminal reaches the decoder too (one process group): like the scan, it finishes
// the file in progress instead of dying with it.
TEST(ImageDecoder, FinishesItsFileThroughCtrlCAndSigterm) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 24, 12));
  ImageDecoder decoder(test::FaultyDecoderProgram());
  const ScanImage image = decoder.Decode(dir / "a.jpg", "1", "JPG", "signals");
  EXPECT_EQ(image.width, "24");
  EXPECT_EQ(image.problem, "work saw 24x12");
}

TEST(ImageDecoder, TwoDecodersEndCleanly) {
  test::TempDir dir;
  ASSERT_TRUE(SaveImage(dir / "a.jpg", FIF_JPEG, 8, 8));
  auto first = std::make_unique<ImageDecoder>();
  ImageDecoder second;
  EXPECT_EQ(first->Decode(dir / "a.jpg", "1", "JPG").width, "8");
  EXPECT_EQ(second.Decode(dir / "a.jpg", "1", "JPG").width, "8");
  first.reset();  // must not wait for the second decoder's process
  EXPECT_EQ(second.Decode(dir / "a.jpg", "1", "JPG").width, "8");
}

}  // namespace
}  // namespace tessarine
