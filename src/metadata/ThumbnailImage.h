#pragma once
// The thumbnail of a decoded image: the longest side 160 px, 24-bit JPEG of good quality. Made in
// the decoder process, from the image it has just decoded.

#include <filesystem>

struct FIBITMAP;

namespace tessarine {

struct DecodedImageResult;

inline constexpr int kThumbnailMaxSize = 160;

// Saves the thumbnail into thumbnailFile, a new name (its folder created), and sends it back as the
// preview. A folder that is a link, or anything but a folder, is refused: "<folder> is a link: no
// thumbnails written there", and nothing is written.
DecodedImageResult MakeThumbnail(FIBITMAP* image, const std::filesystem::path& thumbnailFile);

}  // namespace tessarine
