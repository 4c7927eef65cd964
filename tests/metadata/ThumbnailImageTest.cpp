#include "metadata/ThumbnailImage.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "metadata/DecoderService.h"
#include "support/TestImages.h"

namespace tessarine {
namespace {

// A thumbnail is a JPEG whose longer side is 160 pixels at most, written to a file the program
// opens itself (RegularFile, which refuses a FIFO at the path). A JPEG is decoded DCT-scaled for
// it, never below the thumbnail's size; a large one really is scaled.
TEST(Thumbnail, IsMadeFromADecodeScaledDownToNoLessThanItsSize) {
  test::TempDir dir;
  const struct {
    int width, height;
  } sizes[] = {{4000, 3000}, {1201, 799}, {320, 2000}, {100, 50}};
  for (const auto& size : sizes) {
    const std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);
    ASSERT_TRUE(test::SaveImage(dir / "a.jpg", FIF_JPEG, size.width, size.height));
    const Bitmap scaled = DecodeInProcess(dir / "a.jpg", "1", "JPG", nullptr, kThumbnailMaxSize);
    ASSERT_TRUE(scaled) << label;
    const int side = std::min<int>(kThumbnailMaxSize, std::max(size.width, size.height));
    const unsigned longer = std::max(FreeImage_GetWidth(scaled.get()), FreeImage_GetHeight(scaled.get()));
    EXPECT_GE(longer, static_cast<unsigned>(side)) << label;
    if (size.width >= 8 * 2 * kThumbnailMaxSize) {
      EXPECT_LT(FreeImage_GetWidth(scaled.get()), static_cast<unsigned>(size.width) / 4) << label;
    }
    const DecodedImageResult thumbnail = MakeThumbnail(scaled.get(), dir / "_thumbs_" / (label + ".jpg"));
    EXPECT_EQ(thumbnail.problem, "") << label;
    EXPECT_EQ(std::max(thumbnail.preview.width, thumbnail.preview.height), side) << label;
    EXPECT_EQ(test::ReadFile(dir / "_thumbs_" / (label + ".jpg")).substr(0, 2), "\xFF\xD8") << label;
  }
}

}  // namespace
}  // namespace tessarine
