#include "metadata/DecoderService.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "metadata/DecoderPipe.h"
#include "metadata/RegularFile.h"
#include "metadata/StdioImageIo.h"

namespace tessarine {
namespace {

using namespace decoder_pipe;

// FreeImage prints its complaints unless a handler takes them.
void IgnoreMessage(FREE_IMAGE_FORMAT, const char*) {}

void InstallMessageHandler() {
  static std::once_flag once;
  std::call_once(once, [] { FreeImage_SetOutputMessage(IgnoreMessage); });
}

struct DecoderChoice {
  FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
  int flags = 0;
};

DecoderChoice ChooseDecoder(std::string_view supportIptc, std::string_view ext) {
  if (supportIptc == "1") return {FIF_JPEG, JPEG_ACCURATE};
  if (supportIptc == "2" && (ext == "TIF" || ext == "TIFF")) return {FIF_TIFF, 0};
  if (supportIptc == "2" && ext == "PSD") return {FIF_PSD, 0};
  if (supportIptc == kDecodePng) return {FIF_PNG, 0};
  if (supportIptc == kDecodeWebp) return {FIF_WEBP, 0};
  return {};
}

Bitmap Load(const std::filesystem::path& path, DecoderChoice choice, std::string* problem) {
  InstallMessageHandler();
  if (choice.format == FIF_UNKNOWN) return nullptr;
  // Opened here, not by the library from the path: a FIFO must never hold the decoder.
  RegularFile file(path);
  const FileStream stream = file.ToStream();
  if (!stream) {
    if (problem != nullptr) *problem = "not decoded: " + (file.IsOpen() ? std::string("no stream") : file.Problem());
    return nullptr;
  }
  FreeImageIO io = StdioImageIo();
  return Bitmap(FreeImage_LoadFromHandle(choice.format, &io, stream.get(), choice.flags));
}

struct Request {
  std::string path;
  std::string supportIptc;
  std::string extension;
  std::string workArgument;
  std::string preview;      // "<offset> <length>" of a preview to make the thumbnail from, or empty
  std::string orientation;  // the EXIF orientation the thumbnail is turned by
};

std::uint64_t Number(std::string_view text) {
  std::uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::optional<PreviewBytes> PreviewOf(const Request& request) {
  const std::size_t space = request.preview.find(' ');
  if (space == std::string::npos) return std::nullopt;
  const std::string_view text = request.preview;
  PreviewBytes preview{Number(text.substr(0, space)), Number(text.substr(space + 1))};
  if (preview.length == 0) return std::nullopt;
  return preview;
}

// The image a thumbnail is made from: the preview when one is given and decodes, else the image
// itself (never for a file whose image is not decoded).
Bitmap ImageForWork(const Request& request, const ScanDecoding& decoding, int imageSide, std::string& problem) {
  const bool previewOnly = request.supportIptc == kDecodePreviewOnly;
  if (!previewOnly && decoding.size.width == 0 && decoding.size.height == 0) return nullptr;
  if (const std::optional<PreviewBytes> preview = PreviewOf(request)) {
    std::string previewProblem;
    if (Bitmap image = DecodePreview(request.path, *preview, imageSide, &previewProblem)) return image;
    if (previewOnly) {
      problem = previewProblem.empty() ? "the preview could not be decoded: no thumbnail" : previewProblem;
      return nullptr;
    }
  }
  if (previewOnly) return nullptr;
  // Decoding a JPEG claiming gigapixels takes gigabytes, whatever it is scaled to.
  if (static_cast<double>(decoding.size.width) * decoding.size.height > kMaxDecodedPixels) {
    problem = "the image is too large to decode for a thumbnail";
    return nullptr;
  }
  Bitmap image = DecodeInProcess(request.path, request.supportIptc, request.extension, &problem, imageSide);
  if (!image && problem.empty()) problem = "the image's pixels could not be decoded: no thumbnail";
  return image;
}

bool ReceiveRequest(int fd, Request& request) {
  std::uint32_t length = 0;
  if (ReceiveAll(fd, &length, sizeof length) != Received::All || length > kMaxRequest) return false;
  std::string bytes(length, '\0');
  if (ReceiveAll(fd, bytes.data(), length) != Received::All) return false;
  std::size_t at = 0;
  for (std::string* field : {&request.path, &request.supportIptc, &request.extension, &request.workArgument,
                             &request.preview, &request.orientation}) {
    const std::size_t end = bytes.find('\0', at);
    if (end == std::string::npos) return false;
    *field = bytes.substr(at, end - at);
    at = end + 1;
  }
  return true;
}

bool IsSendable(const PreviewImage& preview) {
  return preview.width > 0 && preview.height > 0 && preview.width <= kMaxPreviewSide &&
         preview.height <= kMaxPreviewSide &&
         preview.rgb.size() == static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3;
}

void CopyProblem(DecodeReply& reply, const std::string& problem) {
  std::strncpy(reply.problem, problem.c_str(), sizeof reply.problem - 1);
}

// One request after another until the scan closes the socket.
int ServeRequests(int fd, const ImageWork& work, int workImageSide) {
  for (;;) {
    Request request;
    if (!ReceiveRequest(fd, request)) return 0;

    DecodeReply reply;
    std::string problem;
    const bool wantImage = work && !request.workArgument.empty();
    // A JPEG's image is decoded apart from its size: the preview may stand in for it.
    const bool imageApart = request.supportIptc == "1" || request.supportIptc == kDecodePreviewOnly;
    ScanDecoding decoding;
    if (request.supportIptc != kDecodePreviewOnly) {
      decoding = DecodeForScan(request.path, request.supportIptc, request.extension, wantImage && !imageApart,
                               workImageSide, &problem);
    }
    reply.width = decoding.size.width;
    reply.height = decoding.size.height;
    Bitmap image = std::move(decoding.image);
    if (wantImage && imageApart) image = ImageForWork(request, decoding, workImageSide, problem);
    DecodedImageResult result;
    if (image) {
      image = TurnUpright(std::move(image), static_cast<int>(Number(request.orientation)));
      result = work(image.get(), request.workArgument);
      problem = result.problem;
    } else if (wantImage && (reply.width > 0 || reply.height > 0) && problem.empty()) {
      problem = "the image's pixels could not be decoded: no thumbnail";
    }
    CopyProblem(reply, problem);
    const bool withPreview = IsSendable(result.preview);
    if (withPreview) {
      reply.previewWidth = result.preview.width;
      reply.previewHeight = result.preview.height;
    }
    if (!SendAll(fd, &reply, sizeof reply)) return 0;
    if (withPreview && !SendAll(fd, result.preview.rgb.data(), result.preview.rgb.size())) return 0;
  }
}

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

PixelSize ReadPixelSize(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                        std::string* problem) {
  DecoderChoice choice = ChooseDecoder(supportIptc, ext);
  choice.flags |= FIF_LOAD_NOPIXELS;
  const Bitmap header = Load(path, choice, problem);
  if (!header) return {};
  return {FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get())};
}

ScanDecoding DecodeForScan(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                           bool wantImage, int imageSide, std::string* problem) {
  ScanDecoding decoding;
  if (supportIptc == "1") {
    decoding.size = ReadPixelSize(path, supportIptc, ext, problem);
    if (wantImage && (decoding.size.width > 0 || decoding.size.height > 0)) {
      decoding.image = DecodeInProcess(path, supportIptc, ext, problem, imageSide);
    }
    return decoding;
  }
  Bitmap image = DecodeInProcess(path, supportIptc, ext, problem);
  if (image) decoding.size = {FreeImage_GetWidth(image.get()), FreeImage_GetHeight(image.get())};
  if (wantImage) decoding.image = std::move(image);
  return decoding;
}

Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                       std::string* problem, int smallestSide) {
  DecoderChoice choice = ChooseDecoder(supportIptc, ext);
  // The JPEG decoder takes a size hint in the upper half of its flags and scales by 1/2, 1/4 or
  // 1/8 while it decodes, never below the hint.
  if (choice.format == FIF_JPEG && smallestSide > 0 && smallestSide < 0x8000) choice.flags |= smallestSide << 16;
  return Load(path, choice, problem);
}

Bitmap DecodePreview(const std::filesystem::path& path, const PreviewBytes& preview, int smallestSide,
                     std::string* problem) {
  InstallMessageHandler();
  RegularFile file(path);
  if (!file.IsOpen() || preview.offset > file.Size() || preview.length > file.Size() - preview.offset ||
      preview.length > kMaxPreviewBytes) {
    if (problem != nullptr) *problem = "the preview lies outside the file: no thumbnail";
    return nullptr;
  }
  std::vector<BYTE> bytes(preview.length);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::pread(file.Descriptor(), bytes.data() + got, bytes.size() - got,
                              static_cast<off_t>(preview.offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (problem != nullptr) *problem = "the preview could not be read: no thumbnail";
      return nullptr;
    }
    got += static_cast<std::size_t>(n);
  }
  FIMEMORY* memory = FreeImage_OpenMemory(bytes.data(), static_cast<DWORD>(bytes.size()));
  if (memory == nullptr) return nullptr;
  int flags = JPEG_ACCURATE;
  if (smallestSide > 0 && smallestSide < 0x8000) flags |= smallestSide << 16;
  Bitmap image(FreeImage_LoadFromMemory(FIF_JPEG, memory, flags));
  FreeImage_CloseMemory(memory);
  return image;
}

Bitmap TurnUpright(Bitmap image, int orientation) {
  if (!image || orientation < 2 || orientation > 8) return image;
  // FreeImage turns counter-clockwise by positive angles.
  const int turn = orientation == 3 ? 180 : orientation == 6 ? 270 : orientation >= 5 ? 90 : 0;
  if (turn != 0) {
    Bitmap turned(FreeImage_Rotate(image.get(), turn));
    if (!turned) return image;
    image = std::move(turned);
  }
  if (orientation == 2 || orientation == 7) FreeImage_FlipHorizontal(image.get());
  if (orientation == 4 || orientation == 5) FreeImage_FlipVertical(image.get());
  return image;
}

int RunDecoderProcess(int argc, char** argv, const ImageWork& work, int workImageSide) {
  // Ctrl-C reaches the terminal's whole process group: the decoder finishes its file, as the scan
  // does, and ends with the scan, when its requests end or the scan itself is gone. The signals
  // arrive blocked (see ImageDecoder), so none is lost before they are ignored.
  ::signal(SIGINT, SIG_IGN);
  ::signal(SIGTERM, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (argc < 2 || ::getppid() != static_cast<pid_t>(std::atol(argv[1]))) return 0;
  return ServeRequests(kSocketDescriptor, work, workImageSide);
}

}  // namespace tessarine
