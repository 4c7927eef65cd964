#include "metadata/ThumbnailImage.h"

#include <FreeImage.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/NoFollowFile.h"
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
  // A picture with transparent parts (a PNG, a WebP) is shown on white, as viewers show it.
  if (FreeImage_IsTransparent(thumbnail.get()) && FreeImage_GetBPP(thumbnail.get()) == 32) {
    RGBQUAD white{255, 255, 255, 0};
    Bitmap onWhite(FreeImage_Composite(thumbnail.get(), FALSE, &white));
    if (onWhite) thumbnail = std::move(onWhite);
  }
  // JPEG takes 8-bit grey or 24-bit colour only.
  if (FreeImage_GetBPP(thumbnail.get()) != 24) {
    Bitmap converted(FreeImage_ConvertTo24Bits(thumbnail.get()));
    if (!converted) return {"no thumbnail could be made", {}};
    thumbnail = std::move(converted);
  }
  // The thumbnail is upright already: its source's metadata (an orientation among it) would have
  // viewers turn it again.
  for (int model = FIMD_COMMENTS; model <= FIMD_EXIF_RAW; ++model) {
    FreeImage_SetMetadata(static_cast<FREE_IMAGE_MDMODEL>(model), thumbnail.get(), nullptr, nullptr);
  }
  DecodedImageResult result;
  result.preview = ToPreview(thumbnail.get());
  // The thumbnails' folder is the program's own: whatever stands at its name and is not a folder
  // (a link to someone's photos) is left alone, and nothing is written.
  const std::filesystem::path folderPath = thumbnailFile.parent_path();
  const FileDescriptor folder = OpenFolder(folderPath, FolderLinks::Refuse, true);
  if (!folder) {
    const int error = folder.Error();
    result.problem = folderPath.string() +
                     (error == ELOOP     ? " is a link"
                      : error == ENOTDIR ? " is not a folder"
                                         : std::string(": ") + std::strerror(error)) +
                     ": no thumbnails written there";
    return result;
  }
  // Opened here, not by the library from the path, under a name of its own that no one else has.
  const std::string name = thumbnailFile.filename().string();
  FileDescriptor file = CreateNewFile(folder.Get(), name, ContentModeIn(folder.Get()));
  if (!file) {
    result.problem = std::string("thumbnail not saved: cannot be created: ") + std::strerror(file.Error());
    return result;
  }
  FileStream stream(::fdopen(file.Get(), "wb"));
  if (!stream) {
    ::unlinkat(folder.Get(), name.c_str(), 0);
    result.problem = "thumbnail not saved: no stream";
    return result;
  }
  file.Release();  // the stream owns it now
  FreeImageIO io = StdioImageIo();
  const bool saved = FreeImage_SaveToHandle(FIF_JPEG, thumbnail.get(), &io, stream.get(), JPEG_QUALITYGOOD);
  if (!saved || std::fclose(stream.release()) != 0) {
    ::unlinkat(folder.Get(), name.c_str(), 0);
    result.problem = "thumbnail not saved";
  }
  return result;
}

}  // namespace tessarine
