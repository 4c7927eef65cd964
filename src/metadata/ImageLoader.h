#pragma once
// Decodes an image for its pixel size.
//
// The image library is run in a child process: it has read past its buffers and crashed on
// legitimate files (TIFFs with IPTC tags among them), and one such file must cost its own
// width and height only, never the scan. Work that needs the decoded bitmap (a thumbnail)
// runs in the child too, through the hook.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/UserPort.h"

struct FIBITMAP;

namespace tessarine {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const;
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// What the work on the decoded image sends back: a problem to log, a picture to preview.
struct DecodedImageResult {
  std::string problem;
  PreviewImage preview;
};

struct ScanImage {
  std::string width;   // pixels, "-" for a kind that is not decoded, "0" when decoding failed
  std::string height;
  std::string problem;  // why decoding failed, when the library said or the decoder died
  PreviewImage preview;
};

// Runs in the decoding process with the decoded image.
using DecodedImageHook = std::function<DecodedImageResult(FIBITMAP* bitmap)>;

// Chooses the decoder by the support code alone: "1" JPEG (accurate), "2" with TIF/TIFF the
// TIFF decoder, "2" with PSD the Photoshop decoder; anything else is not decoded.
ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view upperExtension, const DecodedImageHook& hook = {});

// The same decoding in this process, for the decoding child and for tests of the library itself.
Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view upperExtension,
                       bool* decoderChosen);

}  // namespace tessarine
