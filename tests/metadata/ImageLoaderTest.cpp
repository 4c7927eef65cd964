#include "metadata/ImageLoader.h"

#include <FreeImage.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

// Writes a width x height picture in the given format with the image library itself.
void SaveImage(const std::filesystem::path& path, FREE_IMAGE_FORMAT format, unsigned width, unsigned height) {
  Bitmap bitmap(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24));
  ASSERT_TRUE(bitmap);
  // Noise, so that the compressed data outweighs the headers.
  unsigned state = 12345;
  for (unsigned y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(y));
    for (unsigned x = 0; x < width * 3; ++x) {
      state = state * 1103515245u + 12345u;
      line[x] = static_cast<BYTE>(state >> 16);
    }
  }
  ASSERT_TRUE(FreeImage_Save(format, bitmap.get(), path.c_str(), 0));
}

TEST(LoadImageForScan, DecodesByTheSupportCodeAndTheExtension) {
  test::TempDir dir;
  SaveImage(dir / "a.jpg", FIF_JPEG, 160, 120);
  SaveImage(dir / "b.tif", FIF_TIFF, 100, 50);

  ScanImage jpeg = LoadImageForScan(dir / "a.jpg", "1", "JPG");
  EXPECT_EQ(jpeg.width, "160");
  EXPECT_EQ(jpeg.height, "120");
  EXPECT_EQ(jpeg.problem, "");

  ScanImage tiff = LoadImageForScan(dir / "b.tif", "2", "TIF");
  EXPECT_EQ(tiff.width, "100");
  EXPECT_EQ(tiff.height, "50");
}

TEST(LoadImageForScan, APngNamedTifGivesZeroAndAnUndecodedKindGivesDashes) {
  test::TempDir dir;
  SaveImage(dir / "photo.tif", FIF_PNG, 10, 10);
  ScanImage png = LoadImageForScan(dir / "photo.tif", "2", "TIF");
  EXPECT_EQ(png.width, "0");
  EXPECT_EQ(png.height, "0");

  test::WriteFile(dir / "photo.jpg", "not a jpeg");
  ScanImage notJpeg = LoadImageForScan(dir / "photo.jpg", "2", "JPG");
  EXPECT_EQ(notJpeg.width, "-");
  EXPECT_EQ(notJpeg.height, "-");
  EXPECT_EQ(LoadImageForScan(dir / "photo.jpg", "0", "TXT").width, "-");
}

TEST(LoadImageForScan, SurvivesADamagedJpeg) {
  test::TempDir dir;
  SaveImage(dir / "a.jpg", FIF_JPEG, 64, 64);
  const std::string whole = test::ReadFile(dir / "a.jpg");
  test::WriteFile(dir / "cut.jpg", whole.substr(0, whole.size() * 3 / 4));
  test::WriteFile(dir / "head.jpg", whole.substr(0, 4));
  ScanImage cut = LoadImageForScan(dir / "cut.jpg", "1", "JPG");
  EXPECT_EQ(cut.width, "64");  // a cut JPEG still decodes, its lower half grey
  ScanImage head = LoadImageForScan(dir / "head.jpg", "1", "JPG");
  EXPECT_EQ(head.width, "0");
}

TEST(ImageDecoder, ADecoderThatDiesOrHangsCostsOnlyThatFilesSize) {
  test::TempDir dir;
  SaveImage(dir / "a.jpg", FIF_JPEG, 32, 16);
  ImageDecoder decoder(
      [](FIBITMAP* bitmap, const std::string& argument) -> DecodedImageResult {
        if (argument == "crash") std::abort();
        if (argument == "hang") ::pause();
        return {"work saw " + std::to_string(FreeImage_GetWidth(bitmap)), PreviewImage{2, 1, {1, 2, 3, 4, 5, 6}}};
      },
      std::chrono::seconds(1));

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
    EXPECT_EQ(next.problem, "work saw 32");
    EXPECT_EQ(next.preview.width, 2);
    EXPECT_EQ(next.preview.rgb, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  }
  EXPECT_EQ(decoder.Decode(dir / "a.jpg", "1", "JPG").problem, "");  // no argument, no work
}

TEST(ImageDecoder, TwoDecodersEndCleanly) {
  test::TempDir dir;
  SaveImage(dir / "a.jpg", FIF_JPEG, 8, 8);
  auto first = std::make_unique<ImageDecoder>();
  ImageDecoder second;
  EXPECT_EQ(first->Decode(dir / "a.jpg", "1", "JPG").width, "8");
  EXPECT_EQ(second.Decode(dir / "a.jpg", "1", "JPG").width, "8");
  first.reset();  // must not wait for the second decoder's process
  EXPECT_EQ(second.Decode(dir / "a.jpg", "1", "JPG").width, "8");
}

}  // namespace
}  // namespace tessarine
