#include "metadata/PreviewChoice.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

// The smallest preview of the image's shape (within 1%) whose long side reaches the thumbnail's.
TEST(ChoosePreview, TakesTheSmallestPreviewOfTheImagesShapeThatIsLargeEnough) {
  const EmbeddedPreview banded{1, 0, {160, 120}};
  const EmbeddedPreview small{2, 0, {150, 100}};
  const EmbeddedPreview thumb{3, 0, {240, 160}};
  const EmbeddedPreview wider{4, 0, {1920, 1262}};
  const EmbeddedPreview large{5, 0, {1920, 1280}};
  const EmbeddedPreview full{6, 0, {6000, 4000}};
  const EmbeddedPreview huge{7, 0, {60000, 40000}};
  const struct {
    std::vector<EmbeddedPreview> previews;
    PixelDimensions image;
    std::uint64_t chosen;  // the offset; 0: none
  } cases[] = {
      {{banded, full, large, thumb}, {6000, 4000}, 3},
      {{banded, small}, {3000, 2000}, 0},  // banded 4:3, and below 160 px
      {{wider, full}, {6000, 4000}, 6},     // 1.3% wider than 3:2
      {{banded}, {4000, 3000}, 1},
      {{full, thumb}, {}, 3},               // no size of the image's: the largest gives the shape
      {{huge}, {3000, 2000}, 0},            // larger than the image
      {{huge, thumb}, {}, 0},               // a shape given by a hostile header
      {{}, {3000, 2000}, 0},
  };
  for (const auto& c : cases) {
    const std::optional<EmbeddedPreview> chosen = ChoosePreview(c.previews, c.image, 160);
    EXPECT_EQ(chosen ? chosen->offset : 0, c.chosen) << c.image.width << "x" << c.image.height;
  }
}

}  // namespace
}  // namespace tessarine
