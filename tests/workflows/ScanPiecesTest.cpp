#include <FreeImage.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "metadata/ImageLoader.h"
#include "support/TempDir.h"
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

// The thumbnail is written to a file the program opened itself: a FIFO at its path is refused at
// once, with or without a reader, where the library would wait for one.
TEST(Thumbnails, AreSavedAsJpegAndNeverIntoAFifo) {
  test::TempDir dir;
  Bitmap image(FreeImage_Allocate(320, 200, 24));
  ASSERT_TRUE(image);
  const DecodedImageResult saved = MakeThumbnail(image.get(), dir / "_thumbs_" / "a.jpg");
  EXPECT_EQ(saved.problem, "");
  EXPECT_EQ(saved.preview.width, 160);
  EXPECT_EQ(saved.preview.height, 100);
  EXPECT_EQ(test::ReadFile(dir / "_thumbs_" / "a.jpg").substr(0, 2), "\xFF\xD8");

  const auto fifo = dir / "_thumbs_" / "b.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(MakeThumbnail(image.get(), fifo).problem, "thumbnail not saved: cannot be opened: No such device or address");
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(MakeThumbnail(image.get(), fifo).problem, "thumbnail not saved: not a regular file (a FIFO)");
  ::close(reader);
}

}  // namespace
}  // namespace tessarine
