#pragma once
// Thumbnails in a "_thumbs_" subfolder beside each image: the longest side 160 px, JPEG.

#include <filesystem>
#include <string>
#include <string_view>

struct FIBITMAP;

namespace tessarine {

struct DecodedImageResult;

inline constexpr int kThumbnailMaxSize = 160;

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

// Runs on the decoded image (in the decoding process): the thumbnail, converted to 24 bits,
// saved as JPEG of good quality into thumbnailFile (its folder created), and sent back as preview.
DecodedImageResult MakeThumbnail(FIBITMAP* image, const std::filesystem::path& thumbnailFile);

}  // namespace tessarine
