#pragma once
// The decoding itself, run in a decoder process of its own (see ImageDecoder): the image library
// has read past its buffers and crashed on legitimate files, and such a file must cost its own
// width and height only, never the scan.

#include <filesystem>
#include <cstdint>
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

// Work run on each decoded image whose request carries an argument (a thumbnail file).
using ImageWork = std::function<DecodedImageResult(FIBITMAP* bitmap, const std::string& argument)>;

struct PixelSize {
  unsigned width = 0;
  unsigned height = 0;
};

// The decoder is chosen by the support code alone: "1" JPEG (accurate), "2" with TIF/TIFF the TIFF
// decoder, "2" with PSD the Photoshop decoder, kDecodePng and kDecodeWebp (codes of the decoder
// only, never stored) those of PNG and WebP; anything else is not decoded. The file is opened as
// a RegularFile: anything else is not decoded, and `problem` says why.
inline constexpr std::string_view kDecodePng = "PNG";
inline constexpr std::string_view kDecodeWebp = "WEBP";
// A file whose image is not decoded (a raw file) but whose JPEG preview is, for its thumbnail.
inline constexpr std::string_view kDecodePreviewOnly = "PREVIEW";

// The JPEG preview a thumbnail is made from in place of the image: bytes [offset, offset + length)
// of the file. At most kMaxPreviewBytes are read.
struct PreviewBytes {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};
inline constexpr std::uint64_t kMaxPreviewBytes = std::uint64_t{64} << 20;
// A JPEG of more pixels is not decoded for its thumbnail (a progressive one holds its coefficients
// whole: 6 bytes a pixel).
inline constexpr double kMaxDecodedPixels = 200e6;

// The preview decoded, DCT-scaled so that its smaller side is not below smallestSide; empty when
// it lies outside the file, is too large, or does not decode.
Bitmap DecodePreview(const std::filesystem::path& path, const PreviewBytes& preview, int smallestSide,
                     std::string* problem = nullptr);

// The image turned upright as an EXIF orientation (1 to 8) asks; any other value leaves it.
Bitmap TurnUpright(Bitmap image, int orientation);

// The pixel size, and the decoded image when one is wanted. A JPEG's size comes from its frame
// header alone (its pixels are decoded only for an image, DCT-scaled to imageSide); a TIFF's or a
// PSD's from a full decode, whose failure on a damaged file gives 0 x 0 as it always has.
struct ScanDecoding {
  PixelSize size;
  Bitmap image;  // when wanted and decoded
};
ScanDecoding DecodeForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view upperExtension, bool wantImage, int imageSide,
                           std::string* problem = nullptr);

// The pixel size from the image's header, without decoding its pixels: 0 x 0 when the decoder
// refuses the header.
PixelSize ReadPixelSize(const std::filesystem::path& path, std::string_view supportIptc,
                        std::string_view upperExtension, std::string* problem = nullptr);

// The decoded image. With a smallest side, a JPEG is decoded DCT-scaled to the smallest size whose
// longer side is not below it; other kinds at full size.
Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view upperExtension,
                       std::string* problem = nullptr, int smallestSide = 0);

// The main of a decoder process started by ImageDecoder: argv[1] is the pid of the process that
// started it. Serves one request after another on its socket until the scan closes it; the work
// gets images decoded with workImageSide as the smallest side (0: full size).
int RunDecoderProcess(int argc, char** argv, const ImageWork& work, int workImageSide);

}  // namespace tessarine
