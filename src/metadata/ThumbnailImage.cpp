#include "metadata/ThumbnailImage.h"

#include <FreeImage.h>

#include <cstdio>
#include <system_error>

#include "metadata/ImageLoader.h"
#include "metadata/RegularFile.h"
#include "metadata/StdioImageIo.h"

namespace tessarine {
namespace {

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
