#pragma once
// What reading a file by its structure found beyond the classic signature searches.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessarine {

struct PixelDimensions {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// A JPEG picture a file carries beside its image: an EXIF thumbnail, a camera's larger preview
// (MPF), a raw file's preview. Its bytes lie at [offset, offset + length) of the file; its size is
// the one its frame header gives.
struct EmbeddedPreview {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  PixelDimensions size;
};

struct ContainerFindings {
  bool recognised = false;                // the file's structure is one of the kinds read
  std::optional<std::string> xmp;         // the packet, in UTF-8
  std::optional<std::string> extendedXmp; // a JPEG's extension packet, joined, in UTF-8
  std::optional<std::string> iim;         // the IIM datasets' bytes
  std::optional<PixelDimensions> size;    // from the header
  // "PNG", "WebP", "JPEG XL", "HEIF" or "AVIF" for a picture of those kinds; empty for the classic
  // ones and for anything else.
  std::string pixelKind;
  std::vector<std::string> problems;      // what was found but could not be read
  std::vector<EmbeddedPreview> previews;
  int orientation = 0;                    // how the image is to be turned (EXIF 1 to 8); 0 unknown
};

}  // namespace tessarine
