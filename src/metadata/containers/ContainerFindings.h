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
};

}  // namespace tessarine
