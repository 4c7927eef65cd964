#pragma once
// A byte source over bytes in memory for the tests of reading that stops early.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "metadata/ByteSource.h"

namespace tessarine::test {

// Gives the bytes below `end` only, as a file that could not be read further, and says how far it
// was asked to read.
class EndingSource final : public ByteSource {
 public:
  explicit EndingSource(std::string_view bytes, std::uint64_t end = UINT64_MAX) : m_bytes(bytes.substr(0, end)) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const override {
    m_furthest = std::max<std::uint64_t>(m_furthest, offset + count);
    if (offset >= m_bytes.size()) return 0;
    const std::string_view part = m_bytes.substr(offset, count);
    std::copy(part.begin(), part.end(), buffer);
    return part.size();
  }
  std::uint64_t Furthest() const { return m_furthest; }

 private:
  std::string_view m_bytes;
  mutable std::uint64_t m_furthest = 0;
};

}  // namespace tessarine::test
