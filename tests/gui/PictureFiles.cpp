// Real pictures for the window's tests, written by the image library, kept apart from the Qt
// headers (the library's own types clash with them).

#include "PictureFiles.h"

#include "support/TestImages.h"

namespace tessarine::test {

bool SavePicture(const std::filesystem::path& path, PictureKind kind, int width, int height) {
  const FREE_IMAGE_FORMAT format = kind == PictureKind::Png ? FIF_PNG : kind == PictureKind::Webp ? FIF_WEBP : FIF_JPEG;
  return SaveImage(path, format, width, height);
}

}  // namespace tessarine::test
