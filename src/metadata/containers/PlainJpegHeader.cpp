#include "metadata/containers/PlainJpegHeader.h"

#include <algorithm>
#include <vector>

#include "metadata/containers/JpegStructure.h"

namespace tessarine {
namespace {

// The largest width or height the image library decodes.
constexpr std::uint32_t kMaxDimension = 65500;
constexpr std::uint32_t kMaxComponents = 4;
constexpr std::uint32_t kTables = 4;

bool IsApplicationOrComment(std::uint32_t marker) { return (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE; }

// Quantisation (DB) or Huffman (C4) tables, one after the other, filling the segment exactly.
bool TablesAreSound(ByteFields& fields, const JpegSegment& segment) {
  const bool huffman = segment.marker == 0xC4;
  const std::uint64_t end = segment.payload + segment.size;
  std::uint64_t at = segment.payload;
  if (segment.size == 0) return false;
  while (at < end) {
    const auto index = fields.U8(at);
    // Low nibble: the table's slot; high: the Huffman class (DC, AC) or the quantiser's precision.
    if (!index || (*index & 0x0F) >= kTables || (*index >> 4) > 1) return false;
    std::uint64_t size = 1 + 64 * ((*index >> 4) + 1);
    if (huffman) {
      std::uint64_t codes = 0;
      for (std::uint64_t i = 1; i <= 16; ++i) {
        const auto count = fields.U8(at + i);
        if (!count) return false;
        codes += *count;
      }
      if (codes > 256) return false;
      size = 17 + codes;
    }
    if (size > end - at) return false;
    at += size;
  }
  return true;
}

struct Frame {
  PixelDimensions size;
  std::vector<std::uint32_t> ids;
};

std::optional<Frame> ReadFrame(ByteFields& fields, const JpegSegment& segment) {
  const std::uint64_t p = segment.payload;
  const auto precision = fields.U8(p);
  const auto lines = fields.U16(p + 1);
  const auto samples = fields.U16(p + 3);
  const auto components = fields.U8(p + 5);
  if (!precision || !lines || !samples || !components || *precision != 8 || *lines == 0 || *samples == 0 ||
      *lines > kMaxDimension || *samples > kMaxDimension || *components == 0 || *components > kMaxComponents ||
      segment.size != 6 + 3u * *components) {
    return std::nullopt;
  }
  Frame frame{{*samples, *lines}, {}};
  for (std::uint32_t i = 0; i < *components; ++i) {
    const auto id = fields.U8(p + 6 + 3 * i);
    const auto factors = fields.U8(p + 7 + 3 * i);
    const auto table = fields.U8(p + 8 + 3 * i);
    const std::uint32_t h = factors ? *factors >> 4 : 0;
    const std::uint32_t v = factors ? *factors & 0x0F : 0;
    if (!id || !table || h < 1 || h > 4 || v < 1 || v > 4 || *table >= kTables ||
        std::find(frame.ids.begin(), frame.ids.end(), *id) != frame.ids.end()) {
      return std::nullopt;
    }
    frame.ids.push_back(*id);
  }
  return frame;
}

// A scan header of 1 to 4 distinct components of the frame.
bool ScanIsSound(ByteFields& fields, const JpegSegment& segment, const Frame& frame) {
  const auto count = fields.U8(segment.payload);
  if (!count || *count == 0 || *count > kMaxComponents || segment.size != 4 + 2u * *count) return false;
  std::vector<std::uint32_t> seen;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const auto id = fields.U8(segment.payload + 1 + 2 * i);
    if (!id || std::find(frame.ids.begin(), frame.ids.end(), *id) == frame.ids.end() ||
        std::find(seen.begin(), seen.end(), *id) != seen.end()) {
      return false;
    }
    seen.push_back(*id);
  }
  return true;
}

}  // namespace

std::optional<PixelDimensions> PlainJpegSize(ByteFields& fields) {
  if (!fields.Is(0, "\xFF\xD8")) return std::nullopt;
  std::optional<Frame> frame;
  bool plain = true;
  bool scanned = false;
  WalkJpegSegments(fields, 0, fields.Length(), [&](const JpegSegment& segment) {
    const std::uint32_t marker = segment.marker;
    if (!segment.whole) {
      plain = false;
    } else if (marker >= 0xC0 && marker <= 0xC2) {
      plain = !frame && (frame = ReadFrame(fields, segment)).has_value();
    } else if (marker == 0xDB || marker == 0xC4) {
      plain = TablesAreSound(fields, segment);
    } else if (marker == 0xDD) {
      plain = segment.size == 2;
    } else if (marker == 0xDA) {
      scanned = frame && ScanIsSound(fields, segment, *frame);
    } else {
      plain = IsApplicationOrComment(marker);
    }
    return plain && !scanned;
  });
  if (!plain || !scanned) return std::nullopt;
  return frame->size;
}

}  // namespace tessarine
