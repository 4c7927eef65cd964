#pragma once
// Fixed-size fields of a container, read through the window: every read is checked against the
// data's end and answers nothing past it, so a hostile offset or length never reads out of bounds.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/ByteWindow.h"

namespace tessarine {

// What one file may cost in memory beyond the window: an XMP packet, its extension and an IIM block
// are held whole, up to these sizes; larger ones are left unread with a problem. The packet's bound
// holds wherever a packet is found, the classic search included (see FindXmpPacketRange).
inline constexpr std::uint64_t kMaxHeldXmp = std::uint64_t{16} << 20;
inline constexpr std::uint64_t kMaxHeldExtendedXmp = std::uint64_t{32} << 20;
inline constexpr std::uint64_t kMaxHeldIim = std::uint64_t{8} << 20;

class ByteFields {
 public:
  explicit ByteFields(ByteWindow& window, bool littleEndian = false) : m_window(window), m_little(littleEndian) {}

  std::uint64_t Length() const { return m_window.Length(); }
  void SetLittleEndian(bool little) { m_little = little; }
  bool LittleEndian() const { return m_little; }
  ByteWindow& Window() { return m_window; }

  // [at, at + count) lies inside the data.
  bool Has(std::uint64_t at, std::uint64_t count) const { return at <= Length() && count <= Length() - at; }

  // An unsigned field of 1 to 8 bytes in the reader's byte order.
  std::optional<std::uint64_t> Unsigned(std::uint64_t at, std::size_t size) {
    if (size == 0 || size > 8 || !Has(at, size)) return std::nullopt;
    const Bytes bytes = m_window.View(at, size);
    if (bytes.size() != size) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t byte = bytes[m_little ? size - 1 - i : i];
      value = (value << 8) | byte;
    }
    return value;
  }
  std::optional<std::uint32_t> U8(std::uint64_t at) { return Narrow(Unsigned(at, 1)); }
  std::optional<std::uint32_t> U16(std::uint64_t at) { return Narrow(Unsigned(at, 2)); }
  std::optional<std::uint32_t> U32(std::uint64_t at) { return Narrow(Unsigned(at, 4)); }

  bool Is(std::uint64_t at, std::string_view text) {
    if (!Has(at, text.size())) return false;
    const Bytes bytes = m_window.View(at, text.size());
    return bytes.size() == text.size() && std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) == text;
  }

  // The bytes of [at, at + count), when they lie inside the data and count is at most limit.
  std::optional<std::string> Take(std::uint64_t at, std::uint64_t count, std::uint64_t limit) {
    if (!Has(at, count) || count > limit) return std::nullopt;
    std::string out;
    m_window.AppendTo(at, count, out);
    return out;
  }

 private:
  static std::optional<std::uint32_t> Narrow(std::optional<std::uint64_t> v) {
    if (!v) return std::nullopt;
    return static_cast<std::uint32_t>(*v);
  }

  ByteWindow& m_window;
  bool m_little;
};

}  // namespace tessarine
