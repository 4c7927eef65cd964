#include "metadata/DecoderService.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

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
};

bool ReceiveRequest(int fd, Request& request) {
  std::uint32_t length = 0;
  if (ReceiveAll(fd, &length, sizeof length) != Received::All || length > kMaxRequest) return false;
  std::string bytes(length, '\0');
  if (ReceiveAll(fd, bytes.data(), length) != Received::All) return false;
  std::size_t at = 0;
  for (std::string* field : {&request.path, &request.supportIptc, &request.extension, &request.workArgument}) {
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
    ScanDecoding decoding =
        DecodeForScan(request.path, request.supportIptc, request.extension, wantImage, workImageSide, &problem);
    reply.width = decoding.size.width;
    reply.height = decoding.size.height;
    DecodedImageResult result;
    if (decoding.image) {
      result = work(decoding.image.get(), request.workArgument);
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
