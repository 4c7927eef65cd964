#include "metadata/DecoderPipe.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace tessarine::decoder_pipe {

bool SendAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // MSG_NOSIGNAL: a peer that died must not take this process with it through SIGPIPE.
    ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

Received ReceiveAll(int fd, void* data, std::size_t size, int timeoutMs) {
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

}  // namespace tessarine::decoder_pipe
