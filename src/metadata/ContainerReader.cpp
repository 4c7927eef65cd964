#include "metadata/ContainerReader.h"

#include <algorithm>
#include <cstring>

#include "metadata/containers/ByteFields.h"

namespace tessarine {
namespace {

// The IIM search looks at offsets below this bound only.
constexpr std::uint64_t kIimSearchLimit = 149'999;
// A JPEG APP1 XMP segment's packet starts 33 bytes after its marker: marker (2), length (2)
// and the 29-byte namespace identifier with its zero byte.
constexpr std::uint64_t kPacketOffset = 33;
constexpr std::string_view kPacketHeader = "<?xpacket begin=";
constexpr std::string_view kPacketTrailer = "<?xpacket end=";
constexpr std::uint64_t kTrailerLength = 19;

bool BytesAre(ByteWindow& window, std::uint64_t at, std::string_view text) {
  const std::uint64_t length = window.Length();
  if (at > length || text.size() > length - at) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (window.At(at + i) != static_cast<std::uint8_t>(text[i])) return false;
  }
  return true;
}

std::uint32_t BigEndian16(ByteWindow& window, std::uint64_t at) {
  const std::uint32_t high = window.At(at);
  return (high << 8) | window.At(at + 1);
}

std::uint32_t BigEndian32(ByteWindow& window, std::uint64_t at) {
  const std::uint32_t high = BigEndian16(window, at);
  return (high << 16) | BigEndian16(window, at + 2);
}

// Where the data of the 8BIM 0x0404 resource at q begins and how long it is. The name is a
// Pascal string padded to an even length; the size follows it in four bytes.
IimSearch ResourceAt(ByteWindow& window, std::uint64_t q) {
  const std::uint64_t length = window.Length();
  const std::uint64_t nameField = (1 + std::uint64_t{window.At(q + 6)} + 1) & ~std::uint64_t{1};
  const std::uint64_t sizeAt = q + 6 + nameField;
  if (sizeAt > length || 4 > length - sizeAt) return {std::nullopt, true};
  const std::uint64_t dataAt = sizeAt + 4;
  const std::uint64_t size = BigEndian32(window, sizeAt);
  return {IimBlock{dataAt, size}, size > length - dataAt};
}

// Where the last whole packet trailer in [start, end) begins, if any. Trailers cannot overlap
// (the text has no border), so a chunk that keeps the previous one's last 13 bytes finds each once.
std::optional<std::uint64_t> LastTrailer(ByteWindow& window, std::uint64_t start, std::uint64_t end) {
  std::optional<std::uint64_t> last;
  std::uint64_t from = start;
  while (end > from && end - from >= kPacketTrailer.size()) {
    Bytes chunk = window.Chunk(from, kPacketTrailer.size());
    chunk = chunk.first(static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), end - from)));
    const auto* base = chunk.data();
    std::size_t at = 0;
    while (const void* hit = ::memmem(base + at, chunk.size() - at, kPacketTrailer.data(), kPacketTrailer.size())) {
      at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - base);
      last = from + at;
      at += kPacketTrailer.size();
    }
    if (chunk.size() == end - from) break;
    from += chunk.size() - (kPacketTrailer.size() - 1);
  }
  return last;
}

// The packet [start, end), cut right after the last packet trailer when there is one (the padding
// before the trailer stays).
XmpPacketRange PacketBetween(ByteWindow& window, std::uint64_t start, std::uint64_t end) {
  end = std::max(start, end);
  if (auto trailer = LastTrailer(window, start, end)) end = std::min(end, *trailer + kTrailerLength);
  return {start, end};
}

}  // namespace

std::string SupportCode(Bytes bytes, std::string_view ext) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return "1";
  for (std::string_view known : {"JPG", "JPEG", "TIF", "TIFF", "PSD"}) {
    if (ext == known) return "2";
  }
  return "0";
}

IimSearch FindIimBlock(ByteWindow& window) {
  const std::uint64_t length = window.Length();
  for (std::uint64_t p = 0; p < kIimSearchLimit && p + 10 <= length; ++p) {
    if (window.At(p) != 0xFF || window.At(p + 1) != 0xED || !BytesAre(window, p + 4, "Photo")) continue;
    const std::uint64_t segmentEnd = p + BigEndian16(window, p + 2);
    for (std::uint64_t q = p + 4; q <= segmentEnd; ++q) {
      // The file's own length, never the window's: a header near the end is cut off by the file.
      if (q + 6 >= length) return {};
      if (BytesAre(window, q, "8BIM") && window.At(q + 4) == 0x04 && window.At(q + 5) == 0x04) {
        return ResourceAt(window, q);
      }
    }
    // No IIM resource in this segment: a later APP13 segment may hold it.
  }
  return {};
}

IimSearch FindIimBlock(Bytes bytes) {
  const MemoryByteSource source(bytes);
  ByteWindow window(source, bytes.size());
  return FindIimBlock(window);
}

std::optional<XmpPacketRange> FindXmpPacketRange(ByteWindow& window, bool isJpeg) {
  const std::uint64_t length = window.Length();
  if (length < kPacketOffset + kPacketHeader.size() + 1) return std::nullopt;
  // A header counts only when at least one byte follows it in the file.
  const std::uint64_t searchEnd = length - 1;
  std::uint64_t from = kPacketOffset;  // the first place a header may start that is not searched yet
  for (;;) {
    // Each chunk begins 33 bytes before the first place searched, so that a JPEG header's segment
    // marker and length lie in it too.
    const std::uint64_t chunkStart = from - kPacketOffset;
    const Bytes chunk = window.Chunk(chunkStart, kPacketOffset + kPacketHeader.size() + 1);
    const std::uint64_t chunkEnd = std::min(searchEnd, chunkStart + chunk.size());
    const auto* base = chunk.data();
    std::uint64_t at = from;
    while (at + kPacketHeader.size() <= chunkEnd) {
      const void* hit = ::memmem(base + (at - chunkStart), chunkEnd - at, kPacketHeader.data(), kPacketHeader.size());
      if (hit == nullptr) break;
      at = chunkStart + static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(hit) - base);
      const std::uint64_t p = at - kPacketOffset;
      if (!isJpeg) {
        // Through offset length-5: the file's last four bytes are left out.
        if (length - 4 - at <= kMaxHeldXmp) return PacketBetween(window, at, length - 4);
        // Longer than any packet is read: only a trailer within the bound closes it.
        if (auto trailer = LastTrailer(window, at, at + kMaxHeldXmp)) {
          return XmpPacketRange{at, std::min(length - 4, *trailer + kTrailerLength)};
        }
        return XmpPacketRange{at, at, true};
      }
      const std::uint8_t* marker = base + (p - chunkStart);
      if (marker[0] == 0xFF && marker[1] == 0xE1) {
        const std::uint64_t segmentLength = (std::uint64_t{marker[2]} << 8) | marker[3];
        if (segmentLength == 0) return std::nullopt;
        // Through the segment's last byte p+1+L, or the end of the file when L overruns it.
        return PacketBetween(window, at, std::min(length, p + 2 + segmentLength));
      }
      ++at;
    }
    if (chunkEnd == searchEnd) return std::nullopt;
    // A header that starts in the chunk's last 15 bytes is searched again with the next one.
    from = chunkEnd - (kPacketHeader.size() - 1);
  }
}

std::optional<std::string> FindXmpPacket(Bytes bytes, bool isJpeg) {
  const MemoryByteSource source(bytes);
  ByteWindow window(source, bytes.size());
  const std::optional<XmpPacketRange> range = FindXmpPacketRange(window, isJpeg);
  if (!range || range->unclosed) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(bytes.data()) + range->start, range->Size());
}

}  // namespace tessarine
