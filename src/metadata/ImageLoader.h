#pragma once
// Decodes images for their pixel size.
//
// The image library runs in a decoder process of its own: it has read past its buffers and
// crashed on legitimate files (TIFFs with IPTC tags among them), and one such file must cost its
// own width and height only, never the scan. The process is forked once and serves one file
// after another; when it dies or hangs it is replaced for the next file. Work that needs the
// decoded bitmap (a thumbnail) runs in that process too, chosen when the decoder is made.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/PreviewImage.h"

struct FIBITMAP;

namespace tessarine {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const;
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// What the work on a decoded image sends back: a problem to log, a picture to preview.
struct DecodedImageResult {
  std::string problem;
  PreviewImage preview;
};

struct ScanImage {
  std::string width;    // pixels, "-" for a kind that is not decoded, "0" when decoding failed
  std::string height;
  std::string problem;  // why decoding failed when the decoder died or hung, or what the work said
  PreviewImage preview;
};

class ImageDecoder {
 public:
  // Runs in the decoder process on each decoded image whose request carries an argument.
  using Work = std::function<DecodedImageResult(FIBITMAP* bitmap, const std::string& argument)>;

  explicit ImageDecoder(Work work = {}, std::chrono::seconds timeout = std::chrono::seconds(120));
  ~ImageDecoder();
  ImageDecoder(const ImageDecoder&) = delete;
  ImageDecoder& operator=(const ImageDecoder&) = delete;

  // Decodes by the support code alone: "1" JPEG (accurate), "2" with TIF/TIFF the TIFF decoder,
  // "2" with PSD the Photoshop decoder; anything else is not decoded.
  ScanImage Decode(const std::filesystem::path& path, std::string_view supportIptc, std::string_view upperExtension,
                   const std::string& workArgument = {});

 private:
  bool Start();
  void Stop();

  Work m_work;
  std::chrono::seconds m_timeout;
  pid_t m_pid = -1;
  int m_socket = -1;
};

// The decoding of a scan: the given decoder, or one of this thread's own without work.
ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view upperExtension, ImageDecoder* decoder = nullptr,
                           const std::string& workArgument = {});

// The same decoding in this process, for the decoder process and for tests of the library itself.
// The file is opened as a RegularFile: anything else is not decoded, and `problem` says why.
Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view upperExtension,
                       std::string* problem = nullptr);

}  // namespace tessarine
