#include "metadata/PreviewChoice.h"

#include <algorithm>
#include <cmath>

namespace tessarine {
namespace {

constexpr double kAspectTolerance = 0.01;
// No camera's preview is larger: a header that claims more is hostile (decoding it would take
// gigabytes).
constexpr double kMaxPreviewPixels = 200e6;

double Area(PixelDimensions size) { return static_cast<double>(size.width) * size.height; }

}  // namespace

PixelDimensions LargestPreviewSize(const std::vector<EmbeddedPreview>& previews) {
  PixelDimensions largest;
  for (const EmbeddedPreview& preview : previews) {
    if (Area(preview.size) > Area(largest)) largest = preview.size;
  }
  return largest;
}

std::optional<EmbeddedPreview> ChoosePreview(const std::vector<EmbeddedPreview>& previews, PixelDimensions image,
                                             int thumbnailSide) {
  if (image.width == 0 || image.height == 0) image = LargestPreviewSize(previews);
  if (Area(image) > kMaxPreviewPixels) return std::nullopt;
  if (image.width == 0 || image.height == 0) return std::nullopt;
  const double imageAspect = static_cast<double>(image.width) / image.height;
  std::optional<EmbeddedPreview> chosen;
  for (const EmbeddedPreview& preview : previews) {
    const PixelDimensions size = preview.size;
    if (size.width == 0 || size.height == 0) continue;
    if (std::max(size.width, size.height) < static_cast<unsigned>(thumbnailSide)) continue;
    // A preview is never larger than its image.
    if (size.width > image.width || size.height > image.height || Area(size) > kMaxPreviewPixels) continue;
    const double aspect = static_cast<double>(size.width) / size.height;
    if (std::abs(aspect / imageAspect - 1.0) > kAspectTolerance) continue;
    if (!chosen || Area(size) < Area(chosen->size)) chosen = preview;
  }
  return chosen;
}

}  // namespace tessarine
