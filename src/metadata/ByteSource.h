#pragma once
// Where the metadata reader takes a file's bytes from: an open file read with pread, or memory.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessarine {

using Bytes = std::span<const std::uint8_t>;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to count bytes at offset into buffer and returns how many were read: fewer only at
  // the end of the data or after a read error.
  virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(Bytes bytes) : m_bytes(bytes) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const override;

 private:
  Bytes m_bytes;
};

// Reads an open descriptor, which stays the caller's.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(int fd) : m_fd(fd) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const override;

 private:
  int m_fd;
};

}  // namespace tessarine
