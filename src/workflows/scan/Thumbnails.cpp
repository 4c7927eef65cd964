#include "workflows/scan/Thumbnails.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "metadata/ImageLoader.h"
#include "metadata/RegularFile.h"
#include "metadata/StdioImageIo.h"

namespace tessarine {
namespace {

// The preview box: 1800 x 1200 twips at 15 twips a pixel.
constexpr int kPreviewBoxWidth = 120;
constexpr int kPreviewBoxHeight = 80;

PreviewImage ToPreview(FIBITMAP* bitmap) {
  PreviewImage preview;
  preview.width = static_cast<int>(FreeImage_GetWidth(bitmap));
  preview.height = static_cast<int>(FreeImage_GetHeight(bitmap));
  preview.rgb.resize(static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3);
  std::size_t at = 0;
  // FreeImage keeps the bottom row first and each pixel as B, G, R on this platform.
  for (int y = preview.height - 1; y >= 0; --y) {
    const BYTE* line = FreeImage_GetScanLine(bitmap, y);
    for (int x = 0; x < preview.width; ++x) {
      preview.rgb[at++] = line[x * 3 + FI_RGBA_RED];
      preview.rgb[at++] = line[x * 3 + FI_RGBA_GREEN];
      preview.rgb[at++] = line[x * 3 + FI_RGBA_BLUE];
    }
  }
  return preview;
}

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

DecodedImageResult MakeThumbnail(FIBITMAP* image, const std::filesystem::path& thumbnailFile) {
  Bitmap thumbnail(FreeImage_MakeThumbnail(image, kThumbnailMaxSize, TRUE));
  if (!thumbnail) return {"no thumbnail could be made", {}};
  // JPEG takes 8-bit grey or 24-bit colour only.
  if (FreeImage_GetBPP(thumbnail.get()) != 24) {
    Bitmap converted(FreeImage_ConvertTo24Bits(thumbnail.get()));
    if (!converted) return {"no thumbnail could be made", {}};
    thumbnail = std::move(converted);
  }
  DecodedImageResult result;
  result.preview = ToPreview(thumbnail.get());
  std::error_code ec;
  std::filesystem::create_directory(thumbnailFile.parent_path(), ec);
  // Opened here, not by the library from the path: a FIFO there must never hold the decoder.
  RegularFile file(thumbnailFile, RegularFile::Mode::Write);
  FileStream stream = file.ToStream();
  if (!stream) {
    result.problem = "thumbnail not saved: " + (file.IsOpen() ? std::string("no stream") : file.Problem());
    return result;
  }
  FreeImageIO io = StdioImageIo();
  const bool saved = FreeImage_SaveToHandle(FIF_JPEG, thumbnail.get(), &io, stream.get(), JPEG_QUALITYGOOD);
  if (!saved || std::fclose(stream.release()) != 0) result.problem = "thumbnail not saved";
  return result;
}

}  // namespace tessarine
