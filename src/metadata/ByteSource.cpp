#include "metadata/ByteSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessarine {

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const {
  if (offset >= m_bytes.size()) return 0;
  const std::size_t n = std::min<std::uint64_t>(count, m_bytes.size() - offset);
  std::memcpy(buffer, m_bytes.data() + offset, n);
  return n;
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(m_fd, buffer + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace tessarine
