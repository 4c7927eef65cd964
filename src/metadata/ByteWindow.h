#pragma once
// A bounded view of a byte source: the searches ask for the bytes at an offset and the window
// reads them in chunks of its capacity, so a file costs the window's memory whatever its size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

  // The data is the source's first `length` bytes; capacity is raised to the minimum.
  ByteWindow(const ByteSource& source, std::uint64_t length, std::size_t capacity = kDefaultCapacity);

  std::uint64_t Length() const { return m_length; }
  std::size_t Capacity() const { return m_capacity; }

  // The bytes of [offset, offset + count) that lie below Length(), count at most Capacity(). The
  // span is valid until the next call.
  Bytes View(std::uint64_t offset, std::size_t count);

  // The byte at offset, which must lie below Length().
  std::uint8_t At(std::uint64_t offset) {
    // An offset before the buffer wraps around to a large number.
    if (offset - m_start < m_filled) return m_buffer[offset - m_start];
    Fill(offset);
    return m_buffer[0];
  }

  // Appends the bytes of [offset, offset + count) that lie below Length() to out.
  void AppendTo(std::uint64_t offset, std::uint64_t count, std::string& out);

 private:
  // Reads [offset, offset + Capacity()) clipped to Length(); throws ShortRead.
  void Fill(std::uint64_t offset);

  const ByteSource& m_source;
  std::uint64_t m_length;
  std::size_t m_capacity;
  std::vector<std::uint8_t> m_buffer;
  std::uint64_t m_start = 0;
  std::size_t m_filled = 0;
};

}  // namespace tessarine
