#include "metadata/containers/JpegStructure.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/TiffStructure.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr std::string_view kXmpId = "http://ns.adobe.com/xap/1.0/\0"sv;
constexpr std::string_view kExtensionId = "http://ns.adobe.com/xmp/extension/\0"sv;
constexpr std::string_view kPhotoshopId = "Photoshop 3.0\0"sv;
constexpr std::string_view kExifId = "Exif\0\0"sv;
constexpr std::string_view kMultiPictureId = "MPF\0"sv;
// An extension chunk's header after its identifier: GUID (32), full length (4), offset (4).
constexpr std::uint64_t kChunkHeader = 40;
constexpr std::size_t kMaxSegments = 65'536;

struct ExtensionChunk {
  std::string guid;
  std::uint32_t fullLength;
  std::uint32_t offset;
  std::uint64_t dataAt;
  std::uint64_t size;
};

// Joins the chunks of the extension the main packet names; nothing unless they cover it whole.
void JoinExtension(ByteFields& fields, const std::vector<ExtensionChunk>& all, ContainerFindings& findings) {
  if (!findings.xmp || all.empty()) return;
  const std::optional<std::string> guid = ExtendedXmpGuid(*findings.xmp);
  if (!guid) return;
  std::vector<ExtensionChunk> chunks;
  for (const ExtensionChunk& chunk : all) {
    if (chunk.guid == *guid) chunks.push_back(chunk);
  }
  if (chunks.empty()) {
    findings.problems.push_back("extended XMP " + *guid + " missing");
    return;
  }
  const std::uint64_t fullLength = chunks.front().fullLength;
  if (fullLength > kMaxHeldExtendedXmp) {
    findings.problems.push_back("extended XMP too large to read");
    return;
  }
  std::sort(chunks.begin(), chunks.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
  std::string joined;
  for (const ExtensionChunk& chunk : chunks) {
    // Every chunk must agree on the length and continue exactly where the last one ended.
    if (chunk.fullLength != fullLength || chunk.offset != joined.size() || chunk.size > fullLength - joined.size()) {
      findings.problems.push_back("extended XMP chunks do not fit together");
      return;
    }
    fields.Window().AppendTo(chunk.dataAt, chunk.size, joined);
  }
  if (joined.size() != fullLength) {
    findings.problems.push_back("extended XMP incomplete");
    return;
  }
  findings.extendedXmp = XmpAsUtf8(joined);
}

// SOF0 to SOF15, but for DHT (C4), JPG (C8) and DAC (CC) among them.
bool IsFrameHeader(std::uint32_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PixelDimensions> FrameSize(ByteFields& fields, const JpegSegment& segment) {
  // Precision (1), then the number of lines and of samples per line; 0 lines: given later.
  const auto lines = fields.U16(segment.payload + 1);
  const auto samples = fields.U16(segment.payload + 3);
  if (!lines || !samples || *lines == 0 || *samples == 0) return std::nullopt;
  return PixelDimensions{*samples, *lines};
}

}  // namespace

void WalkJpegSegments(ByteFields& fields, std::uint64_t start, std::uint64_t end,
                      const std::function<bool(const JpegSegment&)>& visit) {
  end = std::min(end, fields.Length());
  std::uint64_t at = start + 2;
  for (std::size_t count = 0; count < kMaxSegments && at < end; ++count) {
    fields.SetLittleEndian(false);  // a visitor may have read a segment of the other order
    // Fill bytes (FF) may stand before a marker.
    while (at + 2 <= end && fields.U8(at) == 0xFFu && fields.U8(at + 1) == 0xFFu) ++at;
    if (at + 2 > end) break;
    const auto ff = fields.U8(at);
    const auto marker = fields.U8(at + 1);
    if (!ff || !marker || *ff != 0xFF) break;
    if (*marker == 0xD8 || *marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD7)) {
      if (!visit({*marker, at + 2, 0, true})) break;
      at += 2;  // no length
      continue;
    }
    if (*marker == 0xD9) break;
    const auto length = at + 4 <= end ? fields.U16(at + 2) : std::nullopt;
    if (!length || *length < 2) break;
    const std::uint64_t payload = at + 4;
    const std::uint64_t size = std::min<std::uint64_t>(*length - 2, end - std::min(end, payload));
    if (!visit({*marker, payload, size, size == *length - 2u})) break;
    // The metadata lies before the first scan.
    if (*marker == 0xDA || payload + size >= end) break;
    at = payload + size;
  }
  fields.SetLittleEndian(false);
}

std::optional<PixelDimensions> JpegFrameSize(ByteFields& fields, std::uint64_t start, std::uint64_t end) {
  if (!fields.Has(start, 2) || !fields.Is(start, "\xFF\xD8")) return std::nullopt;
  std::optional<PixelDimensions> size;
  WalkJpegSegments(fields, start, end, [&](const JpegSegment& segment) {
    if (IsFrameHeader(segment.marker)) size = FrameSize(fields, segment);
    return !IsFrameHeader(segment.marker);
  });
  return size;
}

std::optional<PixelDimensions> JpegPreviewSize(ByteFields& fields, std::uint64_t start, std::uint64_t end) {
  // Writers may pad a stream after its end marker.
  constexpr std::uint64_t kEndSearch = 64;
  end = std::min(end, fields.Length());
  const std::uint64_t from = end - std::min(end - std::min(start, end), kEndSearch);
  bool ends = false;
  for (std::uint64_t at = from; at + 2 <= end && !ends; ++at) ends = fields.Is(at, "\xFF\xD9");
  if (!ends) return std::nullopt;
  return JpegFrameSize(fields, start, end);
}

void ReadJpegStructure(ByteFields& fields, ContainerFindings& findings) {
  std::vector<ExtensionChunk> chunks;
  std::string resources;  // the Photoshop APP13 payloads, one after the other
  bool resourcesTooLarge = false;
  WalkJpegSegments(fields, 0, fields.Length(), [&](const JpegSegment& segment) {
    const std::uint64_t payload = segment.payload;
    const std::uint64_t size = segment.size;
    const std::uint32_t marker = segment.marker;
    if (IsFrameHeader(marker)) {
      if (!findings.size) findings.size = FrameSize(fields, segment);
    } else if (marker == 0xE1 && !findings.xmp && size > kXmpId.size() && fields.Is(payload, kXmpId)) {
      if (auto bytes = fields.Take(payload + kXmpId.size(), size - kXmpId.size(), kMaxHeldXmp)) {
        std::string text = XmpAsUtf8(*bytes);
        if (StartsLikeXmp(text)) findings.xmp = std::move(text);
      }
    } else if (marker == 0xE1 && size > kExtensionId.size() + kChunkHeader && fields.Is(payload, kExtensionId)) {
      const std::uint64_t header = payload + kExtensionId.size();
      auto guid = fields.Take(header, 32, 32);
      const auto fullLength = fields.U32(header + 32);
      const auto offset = fields.U32(header + 36);
      if (guid && fullLength && offset && chunks.size() < kMaxSegments) {
        chunks.push_back({std::move(*guid), *fullLength, *offset, header + kChunkHeader,
                          size - kExtensionId.size() - kChunkHeader});
      }
    } else if (marker == 0xE1 && size > kExifId.size() && fields.Is(payload, kExifId)) {
      ReadEmbeddedTiffPreviews(fields, payload + kExifId.size(), payload + size, EmbeddedTiff::Exif, findings);
    } else if (marker == 0xE2 && size > kMultiPictureId.size() && fields.Is(payload, kMultiPictureId)) {
      ReadEmbeddedTiffPreviews(fields, payload + kMultiPictureId.size(), fields.Length(), EmbeddedTiff::MultiPicture,
                               findings);
    } else if (marker == 0xED && size >= kPhotoshopId.size() && fields.Is(payload, kPhotoshopId)) {
      const std::uint64_t dataSize = size - kPhotoshopId.size();
      if (resources.size() + dataSize > kMaxHeldIim) {
        resourcesTooLarge = true;
      } else {
        fields.Window().AppendTo(payload + kPhotoshopId.size(), dataSize, resources);
      }
    }
    return true;
  });
  if (resourcesTooLarge) findings.problems.push_back("Photoshop segments too large to read");
  if (!resources.empty()) ReadPhotoshopResourceBytes(resources, findings);
  JoinExtension(fields, chunks, findings);
}

}  // namespace tessarine
