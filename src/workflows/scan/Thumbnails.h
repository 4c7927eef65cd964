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

// Removes from the folder's "_thumbs_" the hidden files a scan writes a thumbnail to before it
// takes its name, left there by a scan that was killed: those of a process that no longer runs on
// this machine, or older than a minute. Nothing else is touched, and a link at "_thumbs_" is not
// followed. Returns how many were removed.
int RemoveLeftoverThumbnails(const std::filesystem::path& folder);

struct PreviewSize {
  int width;
  int height;
};

// The preview box fit: a picture within 120x80 px keeps its size; a larger one is set to the box
// height with its aspect ratio, its width then capped at the box width.
PreviewSize StretchImageThumb(int width, int height);

}  // namespace tessarine
