#pragma once
// A bounded view of a byte source: the searches ask for the bytes at an offset and the window
// reads them in chunks of its capacity, so a file costs the window's memory whatever its size.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "metadata/ByteSource.h"

namespace tessarine {

// Thrown when the source gives fewer bytes than asked below the window's length: the data ends at
// `at` (an I/O error, or a file that shrank).
struct ShortRead {
  std::uint64_t at;
};

class ByteWindow {
 public:
  static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 20;
  // The XMP search needs 50 contiguous bytes (a marker 33 bytes before a 16-byte header, and one more).
  static constexpr std::size_t kMinimumCapacity = 64;
  // The first read is this small, and each one after it twice the last up to the capacity: the
  // metadata of most files lies in their first kilobytes.
  static constexpr std::size_t kFirstRead = std::size_t{64} << 10;

  // The data is the source's first `length` bytes; capacity is raised to the minimum.
  ByteWindow(const ByteSource& source, std::uint64_t length, std::size_t capacity = kDefaultCapacity);

  std::uint64_t Length() const { return m_length; }
  std::size_t Capacity() const { return m_capacity; }

  // The bytes of [offset, offset + count) that lie below Length(), count at most Capacity(). The
  // span is valid until the next call.
  Bytes View(std::uint64_t offset, std::size_t count);

  // The bytes from offset on that the window holds: at least `minimum` of them (at most Capacity())
  // unless the data ends first; for scans, which take what comes.
  Bytes Chunk(std::uint64_t offset, std::size_t minimum);

  // The byte at offset, which must lie below Length().
  std::uint8_t At(std::uint64_t offset) {
    // An offset before the buffer wraps around to a large number.
    if (offset - m_start < m_filled) return m_buffer[offset - m_start];
    Fill(offset, 1);
    return m_buffer[0];
  }

  // Appends the bytes of [offset, offset + count) that lie below Length() to out.
  void AppendTo(std::uint64_t offset, std::uint64_t count, std::string& out);

 private:
  // Reads at least `minimum` bytes at offset (the next read size when that is more), clipped to
  // Length(); throws ShortRead.
  void Fill(std::uint64_t offset, std::size_t minimum);

  const ByteSource& m_source;
  std::uint64_t m_length;
  std::size_t m_capacity;
  std::unique_ptr<std::uint8_t[]> m_buffer;  // not cleared: only filled bytes are ever read
  std::size_t m_nextRead;
  std::uint64_t m_start = 0;
  std::size_t m_filled = 0;
};

}  // namespace tessarine
