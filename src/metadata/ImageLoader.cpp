#include "metadata/ImageLoader.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace tessarine {
namespace {

// FreeImage prints its complaints unless a handler takes them; the child reports none of them.
void IgnoreMessage(FREE_IMAGE_FORMAT, const char*) {}

void InstallMessageHandler() {
  static std::once_flag once;
  std::call_once(once, [] { FreeImage_SetOutputMessage(IgnoreMessage); });
}

// The child's answer: width, height, the hook's problem text and the size of the preview
// picture whose RGB bytes follow.
struct DecodeReply {
  unsigned width = 0;
  unsigned height = 0;
  char problem[200] = {};
  int previewWidth = 0;
  int previewHeight = 0;
};

// A preview larger than this is not a thumbnail: the reply is refused.
constexpr int kMaxPreviewSide = 4096;

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::read(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                       bool* decoderChosen) {
  InstallMessageHandler();
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
  if (decoderChosen) *decoderChosen = format != FIF_UNKNOWN;
  if (format == FIF_UNKNOWN) return nullptr;
  return Bitmap(FreeImage_Load(format, path.c_str(), flags));
}

ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                           const DecodedImageHook& hook) {
  bool decoderChosen = false;
  if (supportIptc == "1") decoderChosen = true;
  else if (supportIptc == "2") decoderChosen = ext == "TIF" || ext == "TIFF" || ext == "PSD";
  if (!decoderChosen) return {"-", "-", ""};

  std::array<int, 2> pipeEnds{};
  if (::pipe2(pipeEnds.data(), O_CLOEXEC) != 0) return {"0", "0", "no pipe for the image decoder"};
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return {"0", "0", "the image decoder could not be started"};
  }
  if (child == 0) {
    ::close(pipeEnds[0]);
    // The decoding libraries write warnings to stderr; the reply says all that matters.
    if (int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) ::dup2(null, STDERR_FILENO);
    DecodeReply reply;
    DecodedImageResult result;
    Bitmap bitmap = DecodeInProcess(path, supportIptc, ext, nullptr);
    if (bitmap) {
      reply.width = FreeImage_GetWidth(bitmap.get());
      reply.height = FreeImage_GetHeight(bitmap.get());
      if (hook) result = hook(bitmap.get());
      std::strncpy(reply.problem, result.problem.c_str(), sizeof reply.problem - 1);
      const PreviewImage& preview = result.preview;
      if (preview.width > 0 && preview.height > 0 && preview.width <= kMaxPreviewSide &&
          preview.height <= kMaxPreviewSide &&
          preview.rgb.size() == static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3) {
        reply.previewWidth = preview.width;
        reply.previewHeight = preview.height;
      }
    }
    if (WriteAll(pipeEnds[1], &reply, sizeof reply) && reply.previewWidth > 0) {
      WriteAll(pipeEnds[1], result.preview.rgb.data(), result.preview.rgb.size());
    }
    ::_exit(0);  // no destructors, no atexit handlers of the parent's
  }

  ::close(pipeEnds[1]);
  DecodeReply reply;
  PreviewImage preview;
  const bool answered = ReadAll(pipeEnds[0], &reply, sizeof reply);
  if (answered && reply.previewWidth > 0 && reply.previewHeight > 0 && reply.previewWidth <= kMaxPreviewSide &&
      reply.previewHeight <= kMaxPreviewSide) {
    preview.width = reply.previewWidth;
    preview.height = reply.previewHeight;
    preview.rgb.resize(static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3);
    if (!ReadAll(pipeEnds[0], preview.rgb.data(), preview.rgb.size())) preview = PreviewImage();
  }
  ::close(pipeEnds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!answered) {
    const std::string how = WIFSIGNALED(status) ? "the image decoder died of signal " + std::to_string(WTERMSIG(status))
                                                : "the image decoder gave no answer";
    return {"0", "0", how};
  }
  if (reply.width == 0 && reply.height == 0) return {"0", "0", ""};
  reply.problem[sizeof reply.problem - 1] = '\0';
  return {std::to_string(reply.width), std::to_string(reply.height), reply.problem, std::move(preview)};
}

}  // namespace tessarine
