#include "metadata/ByteWindow.h"

#include <algorithm>
#include <cassert>

namespace tessarine {

ByteWindow::ByteWindow(const ByteSource& source, std::uint64_t length, std::size_t capacity)
    : m_source(source), m_length(length), m_capacity(std::max(capacity, kMinimumCapacity)) {
  // A small file never costs a whole window.
  m_buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(m_capacity, m_length)));
}

void ByteWindow::Fill(std::uint64_t offset) {
  assert(offset < m_length);
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(m_capacity, m_length - offset));
  m_filled = 0;
  const std::size_t read = m_source.ReadAt(offset, m_buffer.data(), count);
  if (read < count) throw ShortRead{offset + read};
  m_start = offset;
  m_filled = count;
}

Bytes ByteWindow::View(std::uint64_t offset, std::size_t count) {
  assert(count <= m_capacity);
  if (offset >= m_length) return {};
  const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_length - offset));
  if (offset < m_start || offset - m_start + available > m_filled) Fill(offset);
  return {m_buffer.data() + (offset - m_start), available};
}

void ByteWindow::AppendTo(std::uint64_t offset, std::uint64_t count, std::string& out) {
  if (offset >= m_length) return;
  count = std::min(count, m_length - offset);
  out.reserve(out.size() + static_cast<std::size_t>(count));
  while (count > 0) {
    const Bytes bytes = View(offset, static_cast<std::size_t>(std::min<std::uint64_t>(count, m_capacity)));
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    offset += bytes.size();
    count -= bytes.size();
  }
}

}  // namespace tessarine
