#include "metadata/ImageLoader.h"

#include <FreeImage.h>

#include <mutex>

namespace tessarine {
namespace {

thread_local std::string t_lastMessage;

void RecordMessage(FREE_IMAGE_FORMAT, const char* message) { t_lastMessage = message ? message : ""; }

// FreeImage prints its complaints unless a handler takes them.
void InstallMessageHandler() {
  static std::once_flag once;
  std::call_once(once, [] { FreeImage_SetOutputMessage(RecordMessage); });
}

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

std::string LastImageLibraryMessage() { return t_lastMessage; }

ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view ext) {
  InstallMessageHandler();
  t_lastMessage.clear();

  FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
  int flags = 0;
  if (supportIptc == "1") {
    format = FIF_JPEG;
    flags = JPEG_ACCURATE;
  } else if (supportIptc == "2" && (ext == "TIF" || ext == "TIFF")) {
    format = FIF_TIFF;
  } else if (supportIptc == "2" && ext == "PSD") {
    format = FIF_PSD;
  }
  if (format == FIF_UNKNOWN) return {"-", "-", nullptr};

  Bitmap bitmap(FreeImage_Load(format, path.c_str(), flags));
  if (!bitmap) return {"0", "0", nullptr};
  return {std::to_string(FreeImage_GetWidth(bitmap.get())), std::to_string(FreeImage_GetHeight(bitmap.get())),
          std::move(bitmap)};
}

}  // namespace tessarine
