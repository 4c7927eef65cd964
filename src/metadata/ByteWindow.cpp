#include "metadata/ByteWindow.h"

#include <algorithm>
#include <cassert>

namespace tessarine {

ByteWindow::ByteWindow(const ByteSource& source, std::uint64_t length, std::size_t capacity)
    : m_source(source),
      m_length(length),
      m_capacity(std::max(capacity, kMinimumCapacity)),
      // A small file never costs a whole window.
      m_buffer(new std::uint8_t[static_cast<std::size_t>(std::min<std::uint64_t>(m_capacity, m_length))]),
      m_nextRead(std::min(m_capacity, kFirstRead)) {}

void ByteWindow::Fill(std::uint64_t offset, std::size_t minimum) {
  assert(offset < m_length && minimum <= m_capacity);
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(m_nextRead, minimum), m_length - offset));
  m_nextRead = std::min(m_capacity, m_nextRead * 2);
  m_filled = 0;
  const std::size_t read = m_source.ReadAt(offset, m_buffer.get(), count);
  if (read < count) throw ShortRead{offset + read};
  m_start = offset;
  m_filled = count;
}

Bytes ByteWindow::View(std::uint64_t offset, std::size_t count) {
  assert(count <= m_capacity);
  if (offset >= m_length) return {};
  const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_length - offset));
  if (offset < m_start || offset - m_start + available > m_filled) Fill(offset, available);
  return {m_buffer.get() + (offset - m_start), available};
}

Bytes ByteWindow::Chunk(std::uint64_t offset, std::size_t minimum) {
  assert(minimum <= m_capacity);
  if (offset >= m_length) return {};
  const auto needed = static_cast<std::size_t>(std::min<std::uint64_t>(minimum, m_length - offset));
  if (offset < m_start || offset - m_start + needed > m_filled) Fill(offset, needed);
  return {m_buffer.get() + (offset - m_start), m_filled - static_cast<std::size_t>(offset - m_start)};
}

void ByteWindow::AppendTo(std::uint64_t offset, std::uint64_t count, std::string& out) {
  if (offset >= m_length) return;
  count = std::min(count, m_length - offset);
  out.reserve(out.size() + static_cast<std::size_t>(count));
  while (count > 0) {
    Bytes bytes = Chunk(offset, 1);
    bytes = bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes.size())));
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    offset += bytes.size();
    count -= bytes.size();
  }
}

}  // namespace tessarine
