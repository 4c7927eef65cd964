#include "metadata/ImageLoader.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "metadata/RegularFile.h"
#include "metadata/StdioImageIo.h"

namespace tessarine {
namespace {

// FreeImage prints its complaints unless a handler takes them.
void IgnoreMessage(FREE_IMAGE_FORMAT, const char*) {}

void InstallMessageHandler() {
  static std::once_flag once;
  std::call_once(once, [] { FreeImage_SetOutputMessage(IgnoreMessage); });
}

// A request is a length and the texts path, support code, extension, work argument, each
// followed by a zero byte.
constexpr std::uint32_t kMaxRequest = 64 * 1024;

// The answer: width, height, the work's problem text and the size of the preview picture whose
// RGB bytes follow.
struct DecodeReply {
  unsigned width = 0;
  unsigned height = 0;
  char problem[200] = {};
  int previewWidth = 0;
  int previewHeight = 0;
};

// A preview larger than this is not a thumbnail: it is not sent.
constexpr int kMaxPreviewSide = 4096;

bool SendAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // MSG_NOSIGNAL: a decoder that died must not take the scan with it through SIGPIPE.
    ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

enum class Received { All, Closed, TimedOut };

// Reads exactly size bytes; waits at most timeoutMs for each piece when it is not negative.
Received ReceiveAll(int fd, void* data, std::size_t size, int timeoutMs = -1) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    if (timeoutMs >= 0) {
      pollfd ready{fd, POLLIN, 0};
      int polled = ::poll(&ready, 1, timeoutMs);
      if (polled < 0 && errno == EINTR) continue;
      if (polled == 0) return Received::TimedOut;
      if (polled < 0) return Received::Closed;
    }
    ssize_t n = ::recv(fd, bytes, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Received::Closed;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return Received::All;
}

bool IsDecoded(std::string_view supportIptc, std::string_view ext) {
  if (supportIptc == "1") return true;
  return supportIptc == "2" && (ext == "TIF" || ext == "TIFF" || ext == "PSD");
}

// The decoder process: one request after another until the scan closes the socket.
[[noreturn]] void ServeRequests(int fd, const ImageDecoder::Work& work) {
  // The decoding libraries write warnings to stderr; the reply says all that matters.
  if (int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) ::dup2(null, STDERR_FILENO);
  for (;;) {
    std::uint32_t length = 0;
    if (ReceiveAll(fd, &length, sizeof length) != Received::All || length > kMaxRequest) ::_exit(0);
    std::string request(length, '\0');
    if (ReceiveAll(fd, request.data(), length) != Received::All) ::_exit(0);
    std::string fields[4];
    std::size_t at = 0;
    for (std::string& field : fields) {
      const std::size_t end = request.find('\0', at);
      if (end == std::string::npos) ::_exit(1);
      field = request.substr(at, end - at);
      at = end + 1;
    }

    DecodeReply reply;
    DecodedImageResult result;
    Bitmap bitmap = DecodeInProcess(fields[0], fields[1], fields[2], &result.problem);
    if (!bitmap) std::strncpy(reply.problem, result.problem.c_str(), sizeof reply.problem - 1);
    if (bitmap) {
      reply.width = FreeImage_GetWidth(bitmap.get());
      reply.height = FreeImage_GetHeight(bitmap.get());
      if (work && !fields[3].empty()) result = work(bitmap.get(), fields[3]);
      bitmap.reset();
      std::strncpy(reply.problem, result.problem.c_str(), sizeof reply.problem - 1);
      const PreviewImage& preview = result.preview;
      if (preview.width > 0 && preview.height > 0 && preview.width <= kMaxPreviewSide &&
          preview.height <= kMaxPreviewSide &&
          preview.rgb.size() == static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3) {
        reply.previewWidth = preview.width;
        reply.previewHeight = preview.height;
      }
    }
    if (!SendAll(fd, &reply, sizeof reply)) ::_exit(0);
    if (reply.previewWidth > 0 && !SendAll(fd, result.preview.rgb.data(), result.preview.rgb.size())) ::_exit(0);
  }
}

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

Bitmap DecodeInProcess(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                       std::string* problem) {
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
  if (format == FIF_UNKNOWN) return nullptr;
  // Opened here, not by the library from the path: a FIFO must never hold the decoder.
  RegularFile file(path);
  const FileStream stream = file.ToStream();
  if (!stream) {
    if (problem != nullptr) *problem = "not decoded: " + (file.IsOpen() ? std::string("no stream") : file.Problem());
    return nullptr;
  }
  FreeImageIO io = StdioImageIo();
  return Bitmap(FreeImage_LoadFromHandle(format, &io, stream.get(), flags));
}

ImageDecoder::ImageDecoder(Work work, std::chrono::seconds timeout) : m_work(std::move(work)), m_timeout(timeout) {}

ImageDecoder::~ImageDecoder() { Stop(); }

bool ImageDecoder::Start() {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return false;
  }
  if (child == 0) {
    // Ctrl-C reaches the terminal's whole process group: the decoder finishes its file, as the scan
    // does, and ends with the scan, when its requests end or the scan itself is gone.
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGTERM, SIG_IGN);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(0);
    // Keep only the standard streams and the request socket: an inherited end of another
    // decoder's socket would keep that decoder from ever seeing the end of its requests.
    ::close_range(3, static_cast<unsigned>(ends[1]) - 1, 0);
    ::close_range(static_cast<unsigned>(ends[1]) + 1, ~0U, 0);
    ServeRequests(ends[1], m_work);
  }
  ::close(ends[1]);
  m_pid = child;
  m_socket = ends[0];
  return true;
}

void ImageDecoder::Stop() {
  if (m_pid < 0) return;
  ::close(m_socket);  // the decoder process ends when it reads the end of its requests
  while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  m_pid = -1;
  m_socket = -1;
}

ScanImage ImageDecoder::Decode(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                               const std::string& workArgument) {
  if (!IsDecoded(supportIptc, ext)) return {"-", "-", "", {}};
  if (m_pid < 0 && !Start()) return {"0", "0", "the image decoder could not be started", {}};

  std::string request = path.native();
  for (std::string_view field : {supportIptc, ext, std::string_view(workArgument)}) {
    request.push_back('\0');
    request.append(field);
  }
  request.push_back('\0');
  if (request.size() > kMaxRequest) return {"0", "0", "path too long for the image decoder", {}};
  const auto length = static_cast<std::uint32_t>(request.size());

  const int timeoutMs = static_cast<int>(std::chrono::milliseconds(m_timeout).count());
  DecodeReply reply;
  Received received = Received::Closed;
  if (SendAll(m_socket, &length, sizeof length) && SendAll(m_socket, request.data(), length)) {
    received = ReceiveAll(m_socket, &reply, sizeof reply, timeoutMs);
  }
  PreviewImage preview;
  if (received == Received::All && reply.previewWidth > 0 && reply.previewHeight > 0 &&
      reply.previewWidth <= kMaxPreviewSide && reply.previewHeight <= kMaxPreviewSide) {
    preview.width = reply.previewWidth;
    preview.height = reply.previewHeight;
    preview.rgb.resize(static_cast<std::size_t>(preview.width) * static_cast<std::size_t>(preview.height) * 3);
    received = ReceiveAll(m_socket, preview.rgb.data(), preview.rgb.size(), timeoutMs);
  }
  if (received != Received::All) {
    // The decoder died or hangs: this file gets no size, the next file a new decoder.
    const bool hung = received == Received::TimedOut;
    if (hung) ::kill(m_pid, SIGKILL);
    ::close(m_socket);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    m_socket = -1;
    std::string why = "the image decoder gave no answer";
    if (hung) {
      why = "the image decoder did not answer within " + std::to_string(m_timeout.count()) + " s";
    } else if (WIFSIGNALED(status)) {
      why = "the image decoder died of signal " + std::to_string(WTERMSIG(status));
    }
    return {"0", "0", why, {}};
  }
  reply.problem[sizeof reply.problem - 1] = '\0';
  if (reply.width == 0 && reply.height == 0) return {"0", "0", reply.problem, {}};
  return {std::to_string(reply.width), std::to_string(reply.height), reply.problem, std::move(preview)};
}

ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                           ImageDecoder* decoder, const std::string& workArgument) {
  if (decoder == nullptr) {
    thread_local ImageDecoder threadDecoder;
    decoder = &threadDecoder;
  }
  return decoder->Decode(path, supportIptc, ext, workArgument);
}

}  // namespace tessarine
