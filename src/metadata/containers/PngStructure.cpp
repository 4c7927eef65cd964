#include "metadata/containers/PngStructure.h"

#include <zlib.h>

#include <string_view>

#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr std::string_view kSignature = "\x89PNG\r\n\x1A\n"sv;
constexpr std::string_view kXmpKeyword = "XML:com.adobe.xmp"sv;
constexpr int kMaxChunks = 100'000;
constexpr std::string_view kRawProfile = "Raw profile type "sv;
// A raw profile's text: two hexadecimal digits a byte, a line break every 36 bytes, and its head.
constexpr std::uint64_t kMaxRawProfileText = 3 * kMaxHeldXmp;

// What ImageMagick keeps in "Raw profile type xmp", "... iptc" (IIM datasets) and "... 8bim"
// (Photoshop resources), when the file has no standard XMP chunk.
struct RawProfiles {
  std::optional<std::string> xmp;
  std::optional<std::string> iim;
  std::optional<std::string> resources;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a raw profile's text: "\n<name>\n<spaces><length>\n" then the bytes in hexadecimal,
// broken into lines. Nothing when the text is of another form, says more than `limit` bytes or holds
// fewer than it says.
std::optional<std::string> RawProfileBytes(std::string_view text, std::uint64_t limit) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == '\n') ++at;
  const std::size_t nameEnd = text.find('\n', at);
  if (nameEnd == std::string_view::npos) return std::nullopt;
  at = nameEnd + 1;
  while (at < text.size() && text[at] == ' ') ++at;
  std::uint64_t length = 0;
  const std::size_t digitsAt = at;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    length = length * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (length > limit) return std::nullopt;
  }
  if (at == digitsAt) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(length));
  int high = -1;
  for (; at < text.size() && bytes.size() < length; ++at) {
    const int value = HexValue(text[at]);
    if (value < 0) {
      if (text[at] == '\n' || text[at] == '\r' || text[at] == ' ') continue;
      return std::nullopt;
    }
    if (high < 0) {
      high = value;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + value));
      high = -1;
    }
  }
  if (bytes.size() != length) return std::nullopt;
  return bytes;
}

// A tEXt (keyword NUL text) or zTXt (keyword NUL method compressed-text) chunk of a raw profile.
void ReadRawProfile(std::string_view data, bool compressed, RawProfiles& profiles, ContainerFindings& findings) {
  const std::size_t keywordEnd = data.find('\0');
  if (keywordEnd == std::string_view::npos) return;
  const std::string_view name = data.substr(kRawProfile.size(), keywordEnd - kRawProfile.size());
  std::optional<std::string>* target = name == "xmp"    ? &profiles.xmp
                                       : name == "iptc" ? &profiles.iim
                                       : name == "8bim" ? &profiles.resources
                                                        : nullptr;
  if (target == nullptr || *target) return;
  std::string_view text = data.substr(keywordEnd + 1);
  std::optional<std::string> inflated;
  if (compressed) {
    inflated = !text.empty() && text[0] == 0 ? Inflate(text.substr(1), kMaxRawProfileText) : std::nullopt;
    if (!inflated) {
      findings.problems.push_back("compressed raw profile damaged or too large to read");
      return;
    }
    text = *inflated;
  }
  const std::uint64_t limit = target == &profiles.xmp ? kMaxHeldXmp : kMaxHeldIim;
  *target = RawProfileBytes(text, limit);
  if (!*target) findings.problems.push_back("raw profile " + std::string(name) + " damaged or too large to read");
}

// The raw profiles where the standard chunks gave nothing.
void TakeRawProfiles(RawProfiles& profiles, ContainerFindings& findings) {
  if (!findings.xmp && profiles.xmp) findings.xmp = XmpAsUtf8(*profiles.xmp);
  if (profiles.iim) {
    findings.iim = std::move(profiles.iim);
  } else if (profiles.resources) {
    ReadPhotoshopResourceBytes(*profiles.resources, findings);
  }
}

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
  RawProfiles profiles;
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
    } else if ((fields.Is(at + 4, "tEXt") || fields.Is(at + 4, "zTXt")) && fields.Is(data, kRawProfile)) {
      if (auto bytes = fields.Take(data, *length, kMaxRawProfileText)) {
        ReadRawProfile(*bytes, fields.Is(at + 4, "zTXt"), profiles, findings);
      } else {
        findings.problems.push_back("raw profile chunk cut off or too large to read");
      }
    } else if (fields.Is(at + 4, "IEND")) {
      break;
    }
    at = data + std::uint64_t{*length} + 4;  // and the CRC
  }
  TakeRawProfiles(profiles, findings);
}

}  // namespace tessarine
