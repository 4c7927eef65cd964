#include "metadata/containers/XmpText.h"

#include <cstdint>

#include "core/TextDecoding.h"

namespace tessarine {
namespace {

std::uint8_t Byte(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

std::string FromUtf16(std::string_view s, bool big) {
  std::string out;
  out.reserve(s.size() / 2 + s.size() / 4);
  auto unit = [&](std::size_t i) -> std::uint32_t {
    return big ? (std::uint32_t{Byte(s, i)} << 8) | Byte(s, i + 1) : (std::uint32_t{Byte(s, i + 1)} << 8) | Byte(s, i);
  };
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    std::uint32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < s.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string FromUtf32(std::string_view s, bool big) {
  std::string out;
  out.reserve(s.size() / 4);
  for (std::size_t i = 0; i + 3 < s.size(); i += 4) {
    std::uint32_t c = 0;
    for (std::size_t k = 0; k < 4; ++k) c = (c << 8) | Byte(s, big ? i + k : i + 3 - k);
    AppendUtf8(out, c);
  }
  return out;
}

bool Prefix(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

XmpEncoding DetectXmpEncoding(std::string_view s) {
  using namespace std::string_view_literals;
  // The four-byte forms first: UTF-32 LE's mark begins like UTF-16 LE's.
  if (Prefix(s, "\0\0\xFE\xFF"sv) || Prefix(s, "\0\0\0<"sv)) return XmpEncoding::Utf32Be;
  if (Prefix(s, "\xFF\xFE\0\0"sv) || Prefix(s, "<\0\0\0"sv)) return XmpEncoding::Utf32Le;
  if (Prefix(s, "\xFE\xFF"sv) || Prefix(s, "\0<"sv)) return XmpEncoding::Utf16Be;
  if (Prefix(s, "\xFF\xFE"sv) || Prefix(s, "<\0"sv)) return XmpEncoding::Utf16Le;
  return XmpEncoding::Utf8;
}

std::string XmpAsUtf8(std::string_view bytes) {
  std::string text;
  switch (DetectXmpEncoding(bytes)) {
    case XmpEncoding::Utf8: text = std::string(bytes); break;
    case XmpEncoding::Utf16Be: text = FromUtf16(bytes, true); break;
    case XmpEncoding::Utf16Le: text = FromUtf16(bytes, false); break;
    case XmpEncoding::Utf32Be: text = FromUtf32(bytes, true); break;
    case XmpEncoding::Utf32Le: text = FromUtf32(bytes, false); break;
  }
  if (Prefix(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  // Padding after the trailer, and the zero bytes some writers leave, are no XML.
  const std::size_t trailer = text.rfind("<?xpacket end=");
  if (trailer != std::string::npos) {
    const std::size_t close = text.find("?>", trailer);
    if (close != std::string::npos) text.resize(close + 2);
  }
  while (!text.empty() && text.back() == '\0') text.pop_back();
  // rdf:RDF alone, as some writers leave it, gets the x:xmpmeta element the parser starts from.
  std::size_t body = text.find_first_not_of(" \t\r\n");
  if (body != std::string::npos && text.compare(body, 5, "<?xml") == 0) {
    const std::size_t declarationEnd = text.find("?>", body);
    body = declarationEnd == std::string::npos ? std::string::npos : text.find_first_not_of(" \t\r\n", declarationEnd + 2);
  }
  if (body != std::string::npos && text.compare(body, 8, "<rdf:RDF") == 0) {
    text.insert(body, "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">");
    text += "</x:xmpmeta>";
  }
  return text;
}

bool StartsLikeXmp(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  text.remove_prefix(first);
  for (std::string_view start : {"<?xpacket", "<?xml", "<x:xmpmeta", "<x:xapmeta", "<rdf:RDF"}) {
    if (Prefix(text, start)) return true;
  }
  return false;
}

std::optional<std::string> ExtendedXmpGuid(std::string_view packet) {
  const std::size_t name = packet.find("HasExtendedXMP");
  if (name == std::string_view::npos) return std::nullopt;
  // As an attribute (="GUID") or an element (>GUID<): the first 32 hexadecimal characters in a row.
  auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
  const std::size_t end = std::min(packet.size(), name + 14 + 200);
  std::size_t run = 0;
  for (std::size_t i = name + 14; i < end; ++i) {
    run = isHex(packet[i]) ? run + 1 : 0;
    if (run == 32 && (i + 1 == packet.size() || !isHex(packet[i + 1]))) return std::string(packet.substr(i - 31, 32));
  }
  return std::nullopt;
}

}  // namespace tessarine
