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

// What the camera wrote of the taking of the picture (EXIF and its GPS directory). Texts are as
// written, without their trailing zeros and spaces; numbers are left out when unreadable.
struct ExifFacts {
  std::string dateTaken;        // DateTimeOriginal as "YYYY-MM-DD HH:MM:SS"
  std::string subSecondsTaken;  // SubSecTimeOriginal: "123"
  std::string offsetTaken;      // OffsetTimeOriginal: "+02:00"
  std::string make;
  std::string model;
  std::string lens;
  std::optional<double> focalLength;   // mm
  std::optional<double> fNumber;
  std::optional<double> exposureTime;  // s
  std::optional<std::uint32_t> iso;
  std::optional<double> latitude;      // signed decimal degrees, north and east positive
  std::optional<double> longitude;
  std::optional<double> altitude;      // metres, below sea level negative
  // The GPS references as read ('S', 'W'; 1 below sea level), whichever field comes first.
  char latitudeReference = 0;
  char longitudeReference = 0;
  std::uint32_t altitudeReference = 0;

  bool operator==(const ExifFacts&) const = default;
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
  ExifFacts exif;
};

}  // namespace tessarine
