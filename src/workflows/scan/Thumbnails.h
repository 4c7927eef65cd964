#pragma once
// Where thumbnails go (a "_thumbs_" subfolder beside each image) and how the preview shows them.
// The decoder process makes them (see metadata/ThumbnailImage).

#include <filesystem>
#include <string>
#include <string_view>

namespace tessarine {

// "_thumbs_/<name>" for a JPEG by content (support "1"), else "_thumbs_/<base name>.jpg".
std::filesystem::path ThumbnailPath(const std::filesystem::path& folder, const std::string& fileNameBytes,
                                    std::string_view supportIptc);

struct PreviewSize {
  int width;
  int height;
};

// The preview box fit: a picture within 120x80 px keeps its size; a larger one is set to the box
// height with its aspect ratio, its width then capped at the box width.
PreviewSize StretchImageThumb(int width, int height);

}  // namespace tessarine
