#include "core/TextDecoding.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessarine {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Windows-1252 characters of the bytes 0x80..0x9F.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at units[i]; returns its length, 0 when the unit must be dropped.
template <typename Unit>
std::size_t DecodeSequence(const Unit* units, std::size_t count, char32_t& out) {
  auto at = [&](std::size_t k) -> std::uint32_t { return k < count ? static_cast<std::uint32_t>(units[k]) : 0x100; };
  auto cont = [&](std::size_t k) { return at(k) <= 0xFF && IsContinuation(static_cast<std::uint8_t>(at(k))); };
  const std::uint32_t b = at(0);
  if (b < 0x80) {
    out = b;
    return 1;
  }
  if (b >= 0xC2 && b <= 0xDF && cont(1)) {
    out = ((b & 0x1F) << 6) | (at(1) & 0x3F);
    return 2;
  }
  if (b >= 0xE0 && b <= 0xEF && cont(1) && cont(2)) {
    out = ((b & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
    if (out >= 0xD800 && out <= 0xDFFF) out = kReplacement;
    return 3;
  }
  if (b >= 0xF0 && b <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    char32_t cp = ((b & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) | (at(3) & 0x3F);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      out = cp;
      return 4;
    }
  }
  return 0;
}

// Walks units that are bytes (<= 0xFF) or already-decoded characters (> 0xFF).
template <typename Unit>
std::string DecodeUnits(const Unit* units, std::size_t count) {
  std::string out;
  out.reserve(count);
  std::size_t i = 0;
  while (i < count) {
    if (static_cast<std::uint32_t>(units[i]) > 0xFF) {
      AppendUtf8(out, static_cast<char32_t>(units[i]));
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t length = DecodeSequence(units + i, count - i, cp);
    if (length == 0) {
      ++i;  // not the start of a complete sequence: dropped
      continue;
    }
    AppendUtf8(out, cp);
    i += length;
  }
  return out;
}

// The characters of a UTF-8 text (ill-formed bytes, which libxml2 never returns, as U+FFFD).
std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> points;
  points.reserve(text.size());
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    std::size_t length = DecodeSequence(bytes + i, text.size() - i, cp);
    if (length == 0) {
      points.push_back(kReplacement);
      ++i;
    } else {
      points.push_back(cp);
      i += length;
    }
  }
  return points;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string NormalizeLineBreaks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

  std::string out;
  out.reserve(text.size() + 8);
  // CR -> LF and LF LF -> LF (no overlap) fused into one pass; LF is written as CR LF.
  std::size_t i = 0;
  while (i < text.size()) {
    const bool isBreak = text[i] == '\r' || text[i] == '\n';
    if (!isBreak) {
      out.push_back(text[i++]);
      continue;
    }
    const bool nextIsBreak = i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n');
    i += nextIsBreak ? 2 : 1;
    out += "\r\n";
  }
  return out;
}

std::string DecodeUtf8Bytes(std::string_view bytes) {
  return DecodeUnits(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string DecodeUtf8(std::string_view parserText) {
  if (parserText.empty()) return {};
  std::vector<char32_t> units = CodePoints(parserText);
  return DecodeUnits(units.data(), units.size());
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else if (b < 0xA0) {
      AppendUtf8(out, kCp1252High[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    std::size_t length = DecodeSequence(bytes + i, text.size() - i, cp);
    if (length == 0) return false;
    if (length == 3 && cp == kReplacement && bytes[i] == 0xED) return false;  // an encoded surrogate
    if ((length == 3 && cp < 0x800) || (length == 2 && cp < 0x80)) return false;  // overlong
    i += length;
  }
  return true;
}

}  // namespace tessarine

namespace tessarine {

std::string NameToText(std::string_view nameBytes) {
  return IsValidUtf8(nameBytes) ? std::string(nameBytes) : DecodeWindows1252(nameBytes);
}

}  // namespace tessarine
