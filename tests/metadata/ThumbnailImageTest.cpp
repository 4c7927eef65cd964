#include "metadata/ThumbnailImage.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "metadata/DecoderService.h"
#include "support/TestImages.h"

namespace tessarine {
namespace {

// A smooth picture, as photos are: DCT scaling keeps what a 160-px thumbnail can show.
bool SavePhotoLikeJpeg(const std::filesystem::path& path, int width, int height) {
  Bitmap bitmap(FreeImage_Allocate(width, height, 24));
  if (!bitmap) return false;
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(bitmap.get(), y);
    for (int x = 0; x < width; ++x) {
      line[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(128 + 120 * std::sin(x / 97.0) * std::cos(y / 61.0));
      line[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(255 * x / width);
      line[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(((x / 40 + y / 40) % 2) * 200 + 20);
    }
  }
  return FreeImage_Save(FIF_JPEG, bitmap.get(), path.c_str(), JPEG_QUALITYGOOD) != 0;
}

double MeanDifference(const PreviewImage& a, const PreviewImage& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int{a.rgb[i]} - int{b.rgb[i]});
  return a.rgb.empty() ? 0 : sum / static_cast<double>(a.rgb.size());
}

// A thumbnail is a JPEG whose longer side is 160 pixels at most. A JPEG is decoded DCT-scaled for
// it: the thumbnail has the same size as one made from the full image, and looks the same: the
// mean difference stays below 2% of the range (a picture with sharp 40-px squares, harder than a
// photo, shows 1.3%). It is written to a file the program opens itself (RegularFile, which refuses
// a FIFO at the path).
TEST(Thumbnail, FromAScaledDecodeLooksLikeOneFromTheFullImage) {
  test::TempDir dir;
  const struct {
    int width, height;
  } sizes[] = {{4000, 3000}, {1600, 1200}, {1201, 799}, {320, 2000}, {300, 200}, {100, 50}};
  for (const auto& size : sizes) {
    const std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);
    ASSERT_TRUE(SavePhotoLikeJpeg(dir / "a.jpg", size.width, size.height));
    const Bitmap full = DecodeInProcess(dir / "a.jpg", "1", "JPG");
    const Bitmap scaled = DecodeInProcess(dir / "a.jpg", "1", "JPG", nullptr, kThumbnailMaxSize);
    ASSERT_TRUE(full && scaled) << label;
    EXPECT_GE(std::max(FreeImage_GetWidth(scaled.get()), FreeImage_GetHeight(scaled.get())),
              std::min<unsigned>(kThumbnailMaxSize, std::max(size.width, size.height))) << label;
    if (size.width >= 8 * 2 * kThumbnailMaxSize) {
      EXPECT_LT(FreeImage_GetWidth(scaled.get()), static_cast<unsigned>(size.width) / 4) << label;  // really scaled
    }
    const DecodedImageResult fromFull = MakeThumbnail(full.get(), dir / "_thumbs_" / (label + ".jpg"));
    const DecodedImageResult fromScaled = MakeThumbnail(scaled.get(), dir / "_thumbs_" / "scaled.jpg");
    EXPECT_EQ(fromFull.problem, "") << label;
    EXPECT_EQ(std::max(fromFull.preview.width, fromFull.preview.height),
              std::min<int>(kThumbnailMaxSize, std::max(size.width, size.height)))
        << label;
    EXPECT_EQ(test::ReadFile(dir / "_thumbs_" / (label + ".jpg")).substr(0, 2), "\xFF\xD8") << label;
    ASSERT_EQ(fromFull.preview.width, fromScaled.preview.width) << label;
    ASSERT_EQ(fromFull.preview.height, fromScaled.preview.height) << label;
    EXPECT_LT(MeanDifference(fromFull.preview, fromScaled.preview), 255 * 0.02) << label;
  }
}

}  // namespace
}  // namespace tessarine
