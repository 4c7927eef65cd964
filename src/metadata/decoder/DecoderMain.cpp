// tessarine-decoder: decodes images for the scan in a process of its own, and writes thumbnails.
#include "metadata/DecoderService.h"
#include "metadata/ThumbnailImage.h"

int main(int argc, char** argv) {
  return tessarine::RunDecoderProcess(
      argc, argv,
      [](FIBITMAP* image, const std::string& thumbnailFile) {
        return tessarine::MakeThumbnail(image, thumbnailFile);
      },
      tessarine::kThumbnailMaxSize);
}
