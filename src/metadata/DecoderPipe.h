#pragma once
// The wire between the scan and its decoder process: a request is a length and the texts path,
// support code, extension, work argument, preview ("<offset> <length>" or empty) and orientation,
// each followed by a zero byte; the answer is a
// DecodeReply, then the preview's RGB bytes when it has one.

#include <cstddef>
#include <cstdint>

namespace tessarine::decoder_pipe {

constexpr std::uint32_t kMaxRequest = 64 * 1024;
// A preview larger than this is not a thumbnail: it is not sent.
constexpr int kMaxPreviewSide = 4096;
// The decoder process finds its end of the socket at this descriptor.
constexpr int kSocketDescriptor = 3;

struct DecodeReply {
  unsigned width = 0;
  unsigned height = 0;
  char problem[200] = {};
  int previewWidth = 0;
  int previewHeight = 0;
};

bool SendAll(int fd, const void* data, std::size_t size);

enum class Received { All, Closed, TimedOut };

// Reads exactly size bytes; waits at most timeoutMs for each piece when it is not negative.
Received ReceiveAll(int fd, void* data, std::size_t size, int timeoutMs = -1);

}  // namespace tessarine::decoder_pipe
