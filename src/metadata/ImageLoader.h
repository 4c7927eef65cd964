#pragma once
// Decodes images for their pixel size, in a decoder process of its own (see DecoderService).
//
// The process is a small program of ours (tessarine-decoder) started with posix_spawn, never a
// fork of the scan: the scan runs several threads, and a forked copy of a threaded process may
// find a lock held forever. It serves one file after another; when it dies or hangs it is replaced
// for the next file. Work that needs the decoded image (a thumbnail) runs in that process too.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/DecoderService.h"

namespace tessarine {

struct ScanImage {
  std::string width;    // pixels, "-" for a kind that is not decoded, "0" when decoding failed
  std::string height;
  std::string problem;  // why decoding failed when the decoder died or hung, or what the work said
  PreviewImage preview;
  bool noDecoder = false;  // the decoder program could not be started: no image is decoded
  // The decoder process died of a signal of its own (the image library crashed), neither stopped
  // for a hang nor aborted: the file's size is then no verdict of the library's.
  bool libraryCrashed = false;
};

// The decoder program: $TESSARINE_DECODER when set; else tessarine-decoder beside this program,
// or in the helpers' folder of its installation (<libexecdir>/tessarine, InstalledFolderOf); else, for a program of the build tree, the one of
// the build tree. Elsewhere the place beside the program, where starting it then fails (and says so).
std::filesystem::path DecoderProgram();

// What a thumbnail is made from besides the image: a preview standing in for it, and the
// orientation the image declares, which the thumbnail is turned by.
struct ThumbnailSource {
  std::optional<PreviewBytes> preview;
  int orientation = 0;
};

class ImageDecoder {
 public:
  explicit ImageDecoder(std::filesystem::path program = DecoderProgram(),
                        std::chrono::seconds timeout = std::chrono::seconds(120));
  ~ImageDecoder();
  ImageDecoder(const ImageDecoder&) = delete;
  ImageDecoder& operator=(const ImageDecoder&) = delete;

  // The pixel size from the image's header (see DecoderService for the choice of decoder). With a
  // work argument the image (or the source's preview) is decoded too and the decoder's work runs on
  // it (a thumbnail).
  ScanImage Decode(const std::filesystem::path& path, std::string_view supportIptc, std::string_view upperExtension,
                   const std::string& workArgument = {}, const ThumbnailSource& source = {});
  // From another thread: gives up the file being decoded now, if any (its Decode answers "0" at
  // once); the next file gets a new decoder process.
  void Abort();

 private:
  bool Start();
  void Stop();

  std::filesystem::path m_program;
  std::chrono::seconds m_timeout;
  pid_t m_pid = -1;
  int m_socket = -1;
  // The decoder process while it works on a request, for Abort; cleared before it is reaped, so
  // Abort never signals a pid that was given to another process.
  std::mutex m_busyMutex;
  pid_t m_busyPid = -1;
  bool m_aborted = false;  // Abort struck the busy process
};

// The decoding of a scan: the given decoder, or one of this thread's own.
ScanImage LoadImageForScan(const std::filesystem::path& path, std::string_view supportIptc,
                           std::string_view upperExtension, ImageDecoder* decoder = nullptr,
                           const std::string& workArgument = {}, const ThumbnailSource& source = {});

}  // namespace tessarine
