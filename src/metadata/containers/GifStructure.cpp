#include "metadata/containers/GifStructure.h"

#include <algorithm>
#include <string_view>

#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr std::string_view kXmpApplication = "XMP DataXMP"sv;
// After the packet comes a "magic trailer" of 258 bytes, 01 FF FE ... 01 00 00, which leads a
// reader of sub-blocks to the block's end whatever the packet's bytes; UTF-8 text never holds FF.
constexpr std::string_view kTrailerStart = "\x01\xFF"sv;
constexpr int kMaxBlocks = 100'000;

// The size of a colour table whose presence and size a block's flags give.
std::uint64_t ColourTableSize(std::uint32_t flags) { return (flags & 0x80) != 0 ? 3U << ((flags & 7) + 1) : 0; }

// Past a run of data sub-blocks (each a length byte and that many bytes, a zero length ending the
// run); nothing when the data ends first.
std::optional<std::uint64_t> PastSubBlocks(ByteFields& fields, std::uint64_t at, int& budget) {
  while (budget-- > 0) {
    const auto size = fields.U8(at);
    if (!size) return std::nullopt;
    at += 1 + *size;
    if (*size == 0) return at;
  }
  return std::nullopt;
}

}  // namespace

bool IsGif(ByteFields& fields) { return fields.Is(0, "GIF87a") || fields.Is(0, "GIF89a"); }

void ReadGifStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsGif(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(true);
  const auto width = fields.U16(6);
  const auto height = fields.U16(8);
  const auto screenFlags = fields.U8(10);
  if (!width || !height || !screenFlags) return;
  if (*width > 0 && *height > 0) findings.size = PixelDimensions{*width, *height};
  std::optional<std::uint64_t> at = 13 + ColourTableSize(*screenFlags);
  int budget = kMaxBlocks;
  while (at && budget-- > 0) {
    const auto introducer = fields.U8(*at);
    if (!introducer || *introducer == 0x3B) break;  // the data's or the file's end
    if (*introducer == 0x2C) {
      const auto imageFlags = fields.U8(*at + 9);
      if (!imageFlags) break;
      // Descriptor, local colour table, the LZW code size, then the image's sub-blocks.
      at = PastSubBlocks(fields, *at + 10 + ColourTableSize(*imageFlags) + 1, budget);
    } else if (*introducer == 0x21) {
      const std::uint64_t data = *at + 2;
      if (fields.U8(*at + 1) == 0xFFU && fields.U8(data) == 11U && fields.Is(data + 1, kXmpApplication) &&
          !findings.xmp) {
        const std::uint64_t packet = data + 1 + kXmpApplication.size();
        const std::uint64_t available = fields.Length() - std::min(fields.Length(), packet);
        const auto bytes = fields.Take(packet, std::min<std::uint64_t>(available, kMaxHeldXmp + kTrailerStart.size()),
                                       kMaxHeldXmp + kTrailerStart.size());
        const std::size_t end = bytes ? bytes->find(kTrailerStart) : std::string::npos;
        if (end == std::string::npos) {
          findings.problems.push_back("GIF XMP block without its trailer, or too large to read");
        } else {
          findings.xmp = XmpAsUtf8(std::string_view(*bytes).substr(0, end));
        }
      }
      at = PastSubBlocks(fields, data, budget);
    } else {
      break;
    }
  }
}

}  // namespace tessarine
