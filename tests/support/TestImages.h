#pragma once
// Real, decodable images written at test time with the image library itself.

#include <FreeImage.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "support/TempDir.h"

namespace tessarine::test {

// A width x height picture of noise in the given format; false when the library could not save it.
inline bool SaveImage(const std::filesystem::path& path, FREE_IMAGE_FORMAT format, int width, int height) {
  FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
  if (bitmap == nullptr) return false;
  unsigned state = 12345;
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(bitmap, y);
    for (int x = 0; x < width * 3; ++x) {
      state = state * 1103515245u + 12345u;
      line[x] = static_cast<BYTE>(state >> 16);
    }
  }
  const bool saved = FreeImage_Save(format, bitmap, path.c_str(), 0) != 0;
  FreeImage_Unload(bitmap);
  return saved;
}

// A JPEG of the given size with metadata segments (APP13, APP1...) put right after its SOI marker.
inline bool SaveJpegWithSegments(const std::filesystem::path& path, int width, int height, std::string_view segments) {
  if (!SaveImage(path, FIF_JPEG, width, height)) return false;
  const std::string jpeg = ReadFile(path);
  WriteFile(path, jpeg.substr(0, 2) + std::string(segments) + jpeg.substr(2));
  return true;
}

// Width and height of an image file as the library reads it; {0, 0} when it cannot.
inline std::pair<unsigned, unsigned> ImageSize(const std::filesystem::path& path) {
  FIBITMAP* bitmap = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
  if (bitmap == nullptr) return {0, 0};
  std::pair<unsigned, unsigned> size{FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap)};
  FreeImage_Unload(bitmap);
  return size;
}

}  // namespace tessarine::test
