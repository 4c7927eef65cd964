#include "metadata/containers/WebpStructure.h"

#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

constexpr int kMaxChunks = 100'000;

std::optional<PixelDimensions> FrameSize(ByteFields& fields, std::uint64_t data, std::uint32_t length, bool lossless) {
  if (lossless) {
    // Signature 0x2F, then 14 bits of width - 1 and 14 bits of height - 1, least significant first.
    const auto signature = fields.U8(data);
    const auto bits = length >= 5 ? fields.U32(data + 1) : std::nullopt;
    if (!signature || *signature != 0x2F || !bits) return std::nullopt;
    return PixelDimensions{(*bits & 0x3FFF) + 1, ((*bits >> 14) & 0x3FFF) + 1};
  }
  // A key frame: 3 bytes of frame tag, the start code 9D 01 2A, then 14-bit width and height.
  if (length < 10 || !fields.Is(data + 3, "\x9D\x01\x2A")) return std::nullopt;
  const auto width = fields.U16(data + 6);
  const auto height = fields.U16(data + 8);
  if (!width || !height) return std::nullopt;
  return PixelDimensions{*width & 0x3FFF, *height & 0x3FFF};
}

}  // namespace

bool IsWebp(ByteFields& fields) { return fields.Is(0, "RIFF") && fields.Is(8, "WEBP"); }

void ReadWebpStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsWebp(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(true);
  bool canvas = false;  // VP8X names the canvas, which wins over a frame's size
  std::uint64_t at = 12;
  for (int count = 0; count < kMaxChunks; ++count) {
    const auto length = fields.U32(at + 4);
    if (!length || !fields.Has(at, 4)) break;
    const std::uint64_t data = at + 8;
    if (fields.Is(at, "VP8X") && *length >= 10) {
      const auto width = fields.Unsigned(data + 4, 3);
      const auto height = fields.Unsigned(data + 7, 3);
      if (width && height) {
        findings.size = PixelDimensions{static_cast<std::uint32_t>(*width) + 1, static_cast<std::uint32_t>(*height) + 1};
        canvas = true;
      }
    } else if ((fields.Is(at, "VP8 ") || fields.Is(at, "VP8L")) && !canvas && !findings.size) {
      findings.size = FrameSize(fields, data, *length, fields.Is(at, "VP8L"));
    } else if (fields.Is(at, "XMP ") && !findings.xmp) {
      if (auto bytes = fields.Take(data, *length, kMaxHeldXmp)) {
        findings.xmp = XmpAsUtf8(*bytes);
      } else {
        findings.problems.push_back("XMP chunk cut off or too large to read");
      }
    }
    at = data + std::uint64_t{*length} + (*length & 1);
  }
}

}  // namespace tessarine
