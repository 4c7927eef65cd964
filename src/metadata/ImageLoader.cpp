#include "metadata/ImageLoader.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "core/SettingsLocation.h"
#include "metadata/DecoderPipe.h"

extern char** environ;

namespace tessarine {
namespace {

using namespace decoder_pipe;

bool IsDecoded(std::string_view supportIptc, std::string_view ext, const std::string& workArgument) {
  if (supportIptc == "1") return true;
  // Pictures beyond the classic kinds are decoded for their thumbnail only: their size is the
  // header's.
  if (supportIptc == kDecodePng || supportIptc == kDecodeWebp || supportIptc == kDecodePreviewOnly) {
    return !workArgument.empty();
  }
  return supportIptc == "2" && (ext == "TIF" || ext == "TIFF" || ext == "PSD");
}

bool IsProgram(const std::filesystem::path& path) { return ::access(path.c_str(), X_OK) == 0; }

// Owns the file actions and attributes of one posix_spawn.
class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

}  // namespace

std::filesystem::path DecoderProgram() {
  if (const char* chosen = std::getenv("TESSARINE_DECODER"); chosen != nullptr && *chosen != '\0') return chosen;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path helpers = InstalledFolderOf(self.parent_path(), InstalledFolder::Helpers);
    for (const std::filesystem::path& candidate : {self.parent_path() / "tessarine-decoder",
                                                   helpers.empty() ? helpers : helpers / "tessarine-decoder"}) {
      if (!candidate.empty() && IsProgram(candidate)) return candidate;
    }
    // The build tree's decoder serves only programs of that build tree (the tests): an installed
    // program never runs a decoder that a later build may have changed under it.
    const std::string root = std::filesystem::weakly_canonical(TESSARINE_BUILD_ROOT, ec).native() + "/";
    if (!ec && self.native().starts_with(root)) return TESSARINE_DECODER_BUILD_PATH;
  }
  return self.empty() ? std::filesystem::path(TESSARINE_DECODER_BUILD_PATH) : self.parent_path() / "tessarine-decoder";
}

ImageDecoder::ImageDecoder(std::filesystem::path program, std::chrono::seconds timeout)
    : m_program(std::move(program)), m_timeout(timeout) {}

ImageDecoder::~ImageDecoder() { Stop(); }

bool ImageDecoder::Start() {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  // The decoder's end must not already sit at the descriptor it is moved to: a dup2 onto itself
  // would leave it closed on exec.
  const int theirs = ::fcntl(ends[1], F_DUPFD_CLOEXEC, kSocketDescriptor + 1);
  ::close(ends[1]);
  if (theirs < 0) {
    ::close(ends[0]);
    return false;
  }

  SpawnSetup setup;
  // Only the standard streams (to /dev/null: the decoding libraries write warnings) and the
  // request socket: an inherited end of another decoder's socket would keep that decoder from
  // ever seeing the end of its requests, and a database socket is none of its business.
  ::posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_adddup2(&setup.actions, theirs, kSocketDescriptor);
  ::posix_spawn_file_actions_addclosefrom_np(&setup.actions, kSocketDescriptor + 1);
  // Ctrl-C and SIGTERM arrive blocked; the decoder ignores them before it unblocks them.
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  ::posix_spawnattr_setsigmask(&setup.attributes, &blocked);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  ::posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  ::posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string program = m_program.native();
  std::string parent = std::to_string(::getpid());
  char* argv[] = {program.data(), parent.data(), nullptr};
  pid_t child = -1;
  const int spawned = ::posix_spawn(&child, program.c_str(), &setup.actions, &setup.attributes, argv, environ);
  ::close(theirs);
  if (spawned != 0) {
    ::close(ends[0]);
    return false;
  }
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
                               const std::string& workArgument, const ThumbnailSource& source) {
  if (!IsDecoded(supportIptc, ext, workArgument)) return {"-", "-", "", {}};
  if (m_pid < 0 && !Start()) {
    return {"0", "0", "the image decoder " + m_program.native() + " could not be started", {}, true};
  }

  std::string request = path.native();
  const std::string previewField =
      source.preview ? std::to_string(source.preview->offset) + " " + std::to_string(source.preview->length) : "";
  const std::string orientation = std::to_string(source.orientation);
  for (std::string_view field : {supportIptc, ext, std::string_view(workArgument), std::string_view(previewField),
                                 std::string_view(orientation)}) {
    request.push_back('\0');
    request.append(field);
  }
  request.push_back('\0');
  if (request.size() > kMaxRequest) return {"0", "0", "path too long for the image decoder", {}};
  const auto length = static_cast<std::uint32_t>(request.size());

  const int timeoutMs = static_cast<int>(std::chrono::milliseconds(m_timeout).count());
  DecodeReply reply;
  Received received = Received::Closed;
  {
    const std::lock_guard lock(m_busyMutex);
    m_busyPid = m_pid;
  }
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
  bool aborted = false;
  {
    const std::lock_guard lock(m_busyMutex);
    m_busyPid = -1;
    aborted = m_aborted;
    m_aborted = false;
  }
  if (received == Received::All && aborted) {
    // The answer came in full before the abort struck: it holds, but the process is gone.
    ::close(m_socket);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    m_socket = -1;
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
    ScanImage failed{"0", "0", "the image decoder gave no answer", {}};
    if (hung) {
      failed.problem = "the image decoder did not answer within " + std::to_string(m_timeout.count()) + " s";
    } else if (WIFSIGNALED(status)) {
      failed.problem = "the image decoder died of signal " + std::to_string(WTERMSIG(status));
      failed.libraryCrashed = !aborted;
    }
    return failed;
  }
  reply.problem[sizeof reply.problem - 1] = '\0';
  // A file whose preview alone is decoded has a thumbnail and no size of the decoder's.
  if (reply.width == 0 && reply.height == 0) return {"0", "0", reply.problem, std::move(preview)};
  return {std::to_string(reply.width), std::to_string(reply.height), reply.problem, std::move(preview)};
}

void ImageDecoder::Abort() {
  const std::lock_guard lock(m_busyMutex);
  if (m_busyPid > 0 && ::kill(m_busyPid, SIGKILL) == 0) m_aborted = true;
}

ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc, std::string_view ext,
                           ImageDecoder* decoder, const std::string& workArgument, const ThumbnailSource& source) {
  if (decoder == nullptr) {
    thread_local ImageDecoder threadDecoder;
    decoder = &threadDecoder;
  }
  return decoder->Decode(path, supportIptc, ext, workArgument, source);
}

}  // namespace tessarine
