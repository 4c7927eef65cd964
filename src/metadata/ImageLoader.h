#pragma once
// Decodes an image for its pixel size; the bitmap is kept for the thumbnail.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct FIBITMAP;

namespace tessarine {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const;
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct ScanImage {
  std::string width;   // pixels, "-" for a kind that is not decoded, "0" when decoding failed
  std::string height;
  Bitmap bitmap;       // the decoded image, or nothing
};

// Chooses the decoder by the support code alone: "1" JPEG (accurate), "2" with TIF/TIFF the
// TIFF decoder, "2" with PSD the Photoshop decoder; anything else is not decoded.
ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view upperExtension);

// The image library's last message (libraries report damaged files here), cleared by each load.
std::string LastImageLibraryMessage();

}  // namespace tessarine
