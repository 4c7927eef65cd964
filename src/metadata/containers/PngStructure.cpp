#include "metadata/containers/PngStructure.h"

#include <zlib.h>

#include <string_view>

#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr std::string_view kSignature = "\x89PNG\r\n\x1A\n"sv;
constexpr std::string_view kXmpKeyword = "XML:com.adobe.xmp"sv;
constexpr int kMaxChunks = 100'000;

// An iTXt chunk's text: keyword NUL, compression flag, method, language NUL, translated keyword NUL, text.
void ReadItxt(std::string_view data, ContainerFindings& findings) {
  if (data.substr(0, kXmpKeyword.size() + 1) != std::string(kXmpKeyword) + '\0') return;
  std::size_t at = kXmpKeyword.size() + 1;
  if (data.size() < at + 2) return;
  const bool compressed = data[at] != 0;
  const bool zlibMethod = data[at + 1] == 0;
  at += 2;
  for (int field = 0; field < 2; ++field) {  // language, translated keyword
    const std::size_t end = data.find('\0', at);
    if (end == std::string_view::npos) return;
    at = end + 1;
  }
  const std::string_view text = data.substr(at);
  if (!compressed) {
    findings.xmp = XmpAsUtf8(text);
    return;
  }
  std::optional<std::string> inflated = zlibMethod ? Inflate(text, kMaxHeldXmp) : std::nullopt;
  if (inflated) {
    findings.xmp = XmpAsUtf8(*inflated);
  } else {
    findings.problems.push_back("compressed XMP chunk damaged or too large to read");
  }
}

}  // namespace

std::optional<std::string> Inflate(std::string_view compressed, std::uint64_t limit) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  std::string out;
  char buffer[16384];
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(std::min<std::size_t>(compressed.size(), UINT32_MAX));
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    const std::size_t produced = sizeof buffer - stream.avail_out;
    if (out.size() + produced > limit) {
      status = Z_MEM_ERROR;
      break;
    }
    out.append(buffer, produced);
    if (status == Z_BUF_ERROR && stream.avail_in == 0) break;  // the stream ends before its end
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

bool IsPng(ByteFields& fields) { return fields.Is(0, kSignature); }

void ReadPngStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsPng(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(false);
  std::uint64_t at = kSignature.size();
  for (int count = 0; count < kMaxChunks; ++count) {
    const auto length = fields.U32(at);
    if (!length || !fields.Has(at + 4, 4)) break;
    const std::uint64_t data = at + 8;
    if (fields.Is(at + 4, "IHDR") && *length >= 8) {
      const auto width = fields.U32(data);
      const auto height = fields.U32(data + 4);
      if (width && height) findings.size = PixelDimensions{*width, *height};
    } else if (fields.Is(at + 4, "iTXt") && !findings.xmp && fields.Is(data, std::string(kXmpKeyword) + '\0')) {
      if (auto bytes = fields.Take(data, *length, kMaxHeldXmp)) {
        ReadItxt(*bytes, findings);
      } else {
        findings.problems.push_back("iTXt chunk cut off or too large to read");
      }
    } else if (fields.Is(at + 4, "IEND")) {
      break;
    }
    at = data + std::uint64_t{*length} + 4;  // and the CRC
  }
}

}  // namespace tessarine
