#include <gtest/gtest.h>

#include "workflows/scan/ScanDriver.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

TEST(ScanDriver, ElapsedTimeCountsHoursOnlyFromSixtyMinutes) {
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(0)), " Elapsed time: 0 h 0 min 0 s");
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(187)), " Elapsed time: 0 h 3 min 7 s");
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(3720)), " Elapsed time: 1 h 2 min 0 s");
}

TEST(Thumbnails, NameJpegsAsTheyAreAndOtherImagesByTheirBaseName) {
  EXPECT_EQ(ThumbnailPath("/p", "IMG_1.JPG", "1"), std::filesystem::path("/p/_thumbs_/IMG_1.JPG"));
  EXPECT_EQ(ThumbnailPath("/p", "scan.tif", "2"), std::filesystem::path("/p/_thumbs_/scan.jpg"));
  EXPECT_EQ(ThumbnailPath("/p", "a.b.psd", "2"), std::filesystem::path("/p/_thumbs_/a.b.jpg"));
}

TEST(Thumbnails, StretchFitsThePreviewBox) {
  auto fit = [](int w, int h) {
    const PreviewSize s = StretchImageThumb(w, h);
    return std::to_string(s.width) + "x" + std::to_string(s.height);
  };
  EXPECT_EQ(fit(160, 106), "120x80");  // wider than 3:2 after scaling: squeezed to the box width
  EXPECT_EQ(fit(120, 160), "60x80");
  EXPECT_EQ(fit(100, 60), "100x60");
  EXPECT_EQ(fit(120, 80), "120x80");
}

}  // namespace
}  // namespace tessarine
