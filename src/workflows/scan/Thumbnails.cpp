#include "workflows/scan/Thumbnails.h"

#include <algorithm>

namespace tessarine {
namespace {

// The preview box: 1800 x 1200 twips at 15 twips a pixel.
constexpr int kPreviewBoxWidth = 120;
constexpr int kPreviewBoxHeight = 80;

}  // namespace

std::filesystem::path ThumbnailPath(const std::filesystem::path& folder, const std::string& fileNameBytes,
                                    std::string_view supportIptc) {
  std::string name = fileNameBytes;
  if (supportIptc != "1") {
    const std::size_t dot = name.rfind('.');
    name = (dot == std::string::npos ? std::string() : name.substr(0, dot)) + ".jpg";
  }
  return folder / "_thumbs_" / name;
}

PreviewSize StretchImageThumb(int width, int height) {
  if (width <= kPreviewBoxWidth && height <= kPreviewBoxHeight) return {width, height};
  if (height <= 0) return {kPreviewBoxWidth, kPreviewBoxHeight};
  const int scaled = static_cast<int>(static_cast<long long>(width) * kPreviewBoxHeight / height);
  return {std::min(scaled, kPreviewBoxWidth), kPreviewBoxHeight};
}

}  // namespace tessarine
