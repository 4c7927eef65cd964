#include "metadata/ContainerReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tessarine {
namespace {

// The IIM search looks at offsets below this bound only.
constexpr std::size_t kIimSearchLimit = 149'999;
// A JPEG APP1 XMP segment's packet starts 33 bytes after its marker: marker (2), length (2)
// and the 29-byte namespace identifier with its zero byte.
constexpr std::size_t kPacketOffset = 33;
constexpr std::string_view kPacketHeader = "<?xpacket begin=";
constexpr std::string_view kPacketTrailer = "<?xpacket end=";
constexpr std::size_t kTrailerLength = 19;

bool BytesAre(Bytes bytes, std::size_t at, std::string_view text) {
  return at <= bytes.size() && text.size() <= bytes.size() - at &&
         std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

std::uint32_t BigEndian16(Bytes bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 8) | bytes[at + 1];
}

std::uint32_t BigEndian32(Bytes bytes, std::size_t at) {
  return (BigEndian16(bytes, at) << 16) | BigEndian16(bytes, at + 2);
}

// Where the data of the 8BIM 0x0404 resource at q begins and how long it is. The name is a
// Pascal string padded to an even length; the size follows it in four bytes.
IimSearch ResourceAt(Bytes bytes, std::size_t q) {
  const std::size_t nameField = (1 + std::size_t{bytes[q + 6]} + 1) & ~std::size_t{1};
  const std::size_t sizeAt = q + 6 + nameField;
  if (sizeAt > bytes.size() || 4 > bytes.size() - sizeAt) return {std::nullopt, true};
  const std::size_t dataAt = sizeAt + 4;
  const std::size_t size = BigEndian32(bytes, sizeAt);
  return {IimBlock{dataAt, size}, size > bytes.size() - dataAt};
}

// The packet bytes in [start, end), cut right after the last packet trailer when there is one
// (the padding before the trailer stays).
std::string PacketBetween(Bytes bytes, std::size_t start, std::size_t end) {
  std::string packet(reinterpret_cast<const char*>(bytes.data()) + start, end > start ? end - start : 0);
  if (auto trailer = packet.rfind(kPacketTrailer); trailer != std::string::npos) {
    packet.resize(std::min(packet.size(), trailer + kTrailerLength));
  }
  return packet;
}

}  // namespace

std::string SupportCode(Bytes bytes, std::string_view ext) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return "1";
  for (std::string_view known : {"JPG", "JPEG", "TIF", "TIFF", "PSD"}) {
    if (ext == known) return "2";
  }
  return "0";
}

IimSearch FindIimBlock(Bytes bytes) {
  const std::size_t length = bytes.size();
  for (std::size_t p = 0; p < kIimSearchLimit && p + 10 <= length; ++p) {
    if (bytes[p] != 0xFF || bytes[p + 1] != 0xED || !BytesAre(bytes, p + 4, "Photo")) continue;
    const std::size_t segmentEnd = p + BigEndian16(bytes, p + 2);
    for (std::size_t q = p + 4; q <= segmentEnd; ++q) {
      if (q + 6 >= length) return {};
      if (BytesAre(bytes, q, "8BIM") && bytes[q + 4] == 0x04 && bytes[q + 5] == 0x04) return ResourceAt(bytes, q);
    }
    // No IIM resource in this segment: a later APP13 segment may hold it.
  }
  return {};
}

std::optional<std::string> FindXmpPacket(Bytes bytes, bool isJpeg) {
  const std::size_t length = bytes.size();
  if (length < kPacketOffset + kPacketHeader.size() + 1) return std::nullopt;
  const auto* begin = bytes.data();
  // A header counts only when at least one byte follows it in the file.
  const auto* searchEnd = begin + length - 1;
  const auto* at = begin + kPacketOffset;
  for (;;) {
    at = std::search(at, searchEnd, kPacketHeader.begin(), kPacketHeader.end());
    if (at == searchEnd) return std::nullopt;
    const std::size_t packetStart = static_cast<std::size_t>(at - begin);
    const std::size_t p = packetStart - kPacketOffset;
    if (!isJpeg) {
      // Through offset length-5: the file's last four bytes are left out.
      return PacketBetween(bytes, packetStart, length - 4);
    }
    if (bytes[p] == 0xFF && bytes[p + 1] == 0xE1) {
      const std::size_t segmentLength = BigEndian16(bytes, p + 2);
      if (segmentLength == 0) return std::nullopt;
      // Through the segment's last byte p+1+L, or the end of the file when L overruns it.
      return PacketBetween(bytes, packetStart, std::min(length, p + 2 + segmentLength));
    }
    ++at;
  }
}

}  // namespace tessarine
