#pragma once
// Byte builders for image files: a JPEG is SOI, segments and EOI; the rest is bytes around a packet.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tessarine::test {

inline std::string Be16(std::size_t v) {
  return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
inline std::string Be32(std::size_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
inline std::string Le16(std::size_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
inline std::string Le32(std::size_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// One IIM dataset: 1C, record, number, 16-bit length, value.
inline std::string Dataset(int record, int number, std::string_view value) {
  return std::string{'\x1C', static_cast<char>(record), static_cast<char>(number)} + Be16(value.size()) +
         std::string(value);
}
inline std::string Iim(int number, std::string_view value) { return Dataset(2, number, value); }

// An 8BIM image resource with the given ID and (Pascal) name, padded as the format asks.
inline std::string Resource(int id, std::string_view data, std::string_view name = "") {
  std::string nameField = std::string(1, static_cast<char>(name.size())) + std::string(name);
  if (nameField.size() % 2) nameField.push_back('\0');
  std::string out = "8BIM" + Be16(static_cast<std::size_t>(id)) + nameField + Be32(data.size()) + std::string(data);
  if (data.size() % 2) out.push_back('\0');
  return out;
}

// A JPEG segment: FF, marker, length (counting itself), payload.
inline std::string Segment(std::uint8_t marker, std::string_view payload) {
  return std::string{'\xFF', static_cast<char>(marker)} + Be16(payload.size() + 2) + std::string(payload);
}

inline std::string App13(std::string_view resources) {
  return Segment(0xED, std::string("Photoshop 3.0\0", 14) + std::string(resources));
}

inline std::string App1Xmp(std::string_view packet) {
  return Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + std::string(packet));
}

inline std::string App1Exif() { return Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0", 16)); }

inline std::string Jpeg(std::string_view segments) {
  return std::string("\xFF\xD8", 2) + std::string(segments) + std::string("\xFF\xD9", 2);
}

// A TIFF directory entry, big-endian unless said: tag, type (3 SHORT, 4 LONG, 7 UNDEFINED), count,
// and the value itself or the offset of the values.
inline std::string TiffEntry(int tag, int type, std::size_t count, std::size_t value, bool little = false) {
  const auto u16 = little ? Le16 : Be16;
  const auto u32 = little ? Le32 : Be32;
  return u16(tag) + u16(type) + u32(count) + (type == 3 && count == 1 ? u16(value) + u16(0) : u32(value));
}

// A directory of the entries, then the offset of the next one (0: the last).
inline std::string TiffDirectory(std::initializer_list<std::string> entries, std::size_t next = 0, bool little = false) {
  std::string directory = little ? Le16(entries.size()) : Be16(entries.size());
  for (const std::string& entry : entries) directory += entry;
  return directory + (little ? Le32(next) : Be32(next));
}

// The smallest JPEG stream with a size: its frame header alone.
inline std::string JpegFrame(int width, int height) {
  return Jpeg(Segment(0xC0, std::string("\x08", 1) + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4)));
}

// A packet with the usual header, body, padding and trailer.
inline std::string Packet(std::string_view rdfBody, std::string_view padding = "  \n") {
  return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n" +
         std::string(rdfBody) + "\n</rdf:RDF>\n</x:xmpmeta>\n" + std::string(padding) + "<?xpacket end=\"w\"?>";
}

// A packet whose dc:title is "XMP title".
inline std::string TitlePacket() {
  return Packet("<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title><rdf:Alt>"
                "<rdf:li xml:lang=\"x-default\">XMP title</rdf:li></rdf:Alt></dc:title></rdf:Description>");
}

inline std::span<const std::uint8_t> AsBytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace tessarine::test
