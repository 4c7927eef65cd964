#include "metadata/containers/IsoBoxes.h"

#include <map>
#include <string_view>
#include <vector>

#include "metadata/containers/CanonRawBoxes.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr int kMaxBoxes = 10'000;
constexpr std::uint32_t kMaxItems = 10'000;
// Extents of all items together: an extent of zero-sized fields takes no bytes of the box.
constexpr std::size_t kMaxExtents = 10'000;
constexpr std::string_view kJxlSignature = "\0\0\0\x0CJXL \x0D\x0A\x87\x0A"sv;

using Box = IsoBox;

const Box* Find(const std::vector<Box>& boxes, std::string_view type) {
  for (const Box& box : boxes) {
    if (box.type == type) return &box;
  }
  return nullptr;
}

// A zero-terminated string inside [at, end): its text and where the next field begins.
std::optional<std::pair<std::string, std::uint64_t>> CString(ByteFields& f, std::uint64_t at, std::uint64_t end) {
  std::string text;
  for (std::uint64_t p = at; p < end && text.size() < 1024; ++p) {
    const auto c = f.U8(p);
    if (!c) return std::nullopt;
    if (*c == 0) return std::pair{text, p + 1};
    text.push_back(static_cast<char>(*c));
  }
  return std::nullopt;
}

// The ids of the items that hold XMP, from iinf.
std::vector<std::uint32_t> XmpItems(ByteFields& f, const Box& iinf) {
  std::vector<std::uint32_t> items;
  const auto version = f.U8(iinf.data);
  if (!version) return items;
  const std::uint64_t entriesAt = iinf.data + 4 + (*version == 0 ? 2 : 4);
  for (const Box& infe : ReadBoxes(f, entriesAt, iinf.end)) {
    if (infe.type != "infe") continue;
    const auto infeVersion = f.U8(infe.data);
    if (!infeVersion || *infeVersion < 2) continue;  // older entries carry no item type
    const std::uint64_t idSize = *infeVersion == 2 ? 2 : 4;
    const auto id = f.Unsigned(infe.data + 4, idSize);
    const std::uint64_t typeAt = infe.data + 4 + idSize + 2;
    if (!id || !f.Is(typeAt, "mime")) continue;
    const auto name = CString(f, typeAt + 4, infe.end);
    const auto contentType = name ? CString(f, name->second, infe.end) : std::nullopt;
    if (contentType && contentType->first == "application/rdf+xml") items.push_back(static_cast<std::uint32_t>(*id));
  }
  return items;
}

struct Extent {
  std::uint64_t offset;
  std::uint64_t length;
};
struct ItemLocation {
  std::uint32_t method = 0;  // 0 the file, 1 the idat box
  std::vector<Extent> extents;
};

std::map<std::uint32_t, ItemLocation> Locations(ByteFields& f, const Box& iloc) {
  std::map<std::uint32_t, ItemLocation> items;
  const auto version = f.U8(iloc.data);
  const auto sizes = f.U16(iloc.data + 4);
  if (!version || !sizes || *version > 2) return items;
  const std::size_t offsetSize = (*sizes >> 12) & 0xF;
  const std::size_t lengthSize = (*sizes >> 8) & 0xF;
  const std::size_t baseSize = (*sizes >> 4) & 0xF;
  const std::size_t indexSize = *version == 0 ? 0 : *sizes & 0xF;
  // A field of 0, 2, 4 or 8 bytes inside the box (0 bytes read as 0); `at` moves past it.
  auto field = [&](std::uint64_t& at, std::size_t size) -> std::optional<std::uint64_t> {
    if (size == 0) return 0;
    if (size != 2 && size != 4 && size != 8) return std::nullopt;
    auto v = at <= iloc.end && size <= iloc.end - at ? f.Unsigned(at, size) : std::nullopt;
    at += size;
    return v;
  };
  std::uint64_t at = iloc.data + 6;
  const std::size_t countSize = *version < 2 ? 2 : 4;
  const auto itemCount = field(at, countSize);
  if (!itemCount) return items;
  std::size_t extentCount = 0;
  for (std::uint64_t i = 0; i < *itemCount && i < kMaxItems; ++i) {
    const auto id = field(at, countSize);
    ItemLocation location;
    if (*version >= 1) {
      const auto method = field(at, 2);
      if (!method) return items;
      location.method = static_cast<std::uint32_t>(*method & 0xF);
    }
    const auto reference = field(at, 2);
    const auto base = field(at, baseSize);
    const auto extents = field(at, 2);
    if (!reference) return items;
    if (!id || !base || !extents) return items;
    for (std::uint64_t e = 0; e < *extents; ++e) {
      if (++extentCount > kMaxExtents) return items;
      if (indexSize > 0 && !field(at, indexSize)) return items;
      const auto offset = field(at, offsetSize);
      const auto length = field(at, lengthSize);
      if (!offset || !length || *offset > UINT64_MAX - *base) return items;
      location.extents.push_back({*base + *offset, *length});
    }
    items[static_cast<std::uint32_t>(*id)] = std::move(location);
  }
  return items;
}

// The bytes of an item, its extents joined.
std::optional<std::string> ItemBytes(ByteFields& f, const ItemLocation& location, const Box* idat) {
  std::string bytes;
  std::uint64_t base = 0;
  std::uint64_t limit = f.Length();
  if (location.method == 1) {
    if (idat == nullptr) return std::nullopt;
    base = idat->data;
    limit = idat->end;
  } else if (location.method != 0) {
    return std::nullopt;
  }
  for (const Extent& extent : location.extents) {
    if (extent.offset > limit - base || extent.length > limit - base - extent.offset ||
        extent.length > kMaxHeldXmp - bytes.size()) {
      return std::nullopt;
    }
    // A length of 0 runs to the end of the data.
    const std::uint64_t length = extent.length == 0 ? limit - base - extent.offset : extent.length;
    if (length > kMaxHeldXmp - bytes.size()) return std::nullopt;
    f.Window().AppendTo(base + extent.offset, length, bytes);
  }
  return bytes;
}

// The ispe size of the primary item (or of the first item that has one).
std::optional<PixelDimensions> PrimarySize(ByteFields& f, const std::vector<Box>& meta) {
  const Box* iprp = Find(meta, "iprp");
  if (iprp == nullptr) return std::nullopt;
  const std::vector<Box> properties = ReadBoxes(f, iprp->data, iprp->end);
  const Box* ipco = Find(properties, "ipco");
  if (ipco == nullptr) return std::nullopt;
  const std::vector<Box> list = ReadBoxes(f, ipco->data, ipco->end);
  auto ispe = [&](std::size_t index) -> std::optional<PixelDimensions> {  // 1-based
    if (index == 0 || index > list.size() || list[index - 1].type != "ispe") return std::nullopt;
    const auto width = f.U32(list[index - 1].data + 4);
    const auto height = f.U32(list[index - 1].data + 8);
    if (!width || !height || list[index - 1].data + 12 > list[index - 1].end) return std::nullopt;
    return PixelDimensions{*width, *height};
  };
  std::optional<std::uint64_t> primary;
  if (const Box* pitm = Find(meta, "pitm")) {
    const auto version = f.U8(pitm->data);
    if (version) primary = f.Unsigned(pitm->data + 4, *version == 0 ? 2 : 4);
  }
  const Box* ipma = Find(properties, "ipma");
  if (primary && ipma != nullptr) {
    const auto version = f.U8(ipma->data);
    const auto flags = f.Unsigned(ipma->data + 1, 3);
    const auto entries = f.U32(ipma->data + 4);
    std::uint64_t at = ipma->data + 8;
    for (std::uint32_t i = 0; version && flags && entries && i < *entries && i < kMaxItems && at < ipma->end; ++i) {
      const std::size_t idSize = *version < 1 ? 2 : 4;
      const auto id = f.Unsigned(at, idSize);
      const auto count = f.U8(at + idSize);
      if (!id || !count) break;
      at += idSize + 1;
      const std::size_t entrySize = (*flags & 1) ? 2 : 1;
      for (std::uint32_t k = 0; k < *count; ++k, at += entrySize) {
        const auto association = f.Unsigned(at, entrySize);
        if (!association) break;
        const std::size_t index = entrySize == 2 ? (*association & 0x7FFF) : (*association & 0x7F);
        if (*id == *primary) {
          if (auto size = ispe(index)) return size;
        }
      }
    }
  }
  for (std::size_t index = 1; index <= list.size(); ++index) {
    if (auto size = ispe(index)) return size;
  }
  return std::nullopt;
}

// Reads the bits of a JPEG XL codestream, least significant bit first.
class BitReader {
 public:
  BitReader(ByteFields& f, std::uint64_t at, std::uint64_t end) : m_f(f), m_at(at), m_end(end) {}
  std::optional<std::uint32_t> Bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const std::uint64_t byte = m_bit / 8;
      if (byte >= m_end - m_at) return std::nullopt;
      const auto b = m_f.U8(m_at + byte);
      if (!b) return std::nullopt;
      value |= ((*b >> (m_bit % 8)) & 1u) << i;
      ++m_bit;
    }
    return value;
  }

 private:
  ByteFields& m_f;
  std::uint64_t m_at;
  std::uint64_t m_end;
  std::uint64_t m_bit = 0;
};

// The image size of a codestream (FF 0A, then its size header).
std::optional<PixelDimensions> CodestreamSize(ByteFields& f, std::uint64_t at, std::uint64_t end) {
  if (!f.Is(at, "\xFF\x0A") || end - at < 2) return std::nullopt;
  BitReader bits(f, at + 2, end);
  auto dimension = [&](bool small) -> std::optional<std::uint32_t> {
    if (small) {
      const auto v = bits.Bits(5);
      return v ? std::optional<std::uint32_t>((*v + 1) * 8) : std::nullopt;
    }
    static constexpr int kWidths[4] = {9, 13, 18, 30};
    const auto selector = bits.Bits(2);
    if (!selector) return std::nullopt;
    const auto v = bits.Bits(kWidths[*selector]);
    return v ? std::optional<std::uint32_t>(*v + 1) : std::nullopt;
  };
  const auto small = bits.Bits(1);
  if (!small) return std::nullopt;
  const auto height = dimension(*small == 1);
  const auto ratio = bits.Bits(3);
  if (!height || !ratio) return std::nullopt;
  static constexpr std::uint32_t kRatios[8][2] = {{0, 0}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}};
  if (*ratio != 0) {
    const std::uint64_t width = std::uint64_t{*height} * kRatios[*ratio][0] / kRatios[*ratio][1];
    if (width > UINT32_MAX) return std::nullopt;
    return PixelDimensions{static_cast<std::uint32_t>(width), *height};
  }
  const auto width = dimension(*small == 1);
  if (!width) return std::nullopt;
  return PixelDimensions{*width, *height};
}

}  // namespace

std::vector<IsoBox> ReadBoxes(ByteFields& f, std::uint64_t start, std::uint64_t end) {
  std::vector<IsoBox> boxes;
  std::uint64_t at = start;
  while (boxes.size() < kMaxBoxes && at < end && end - at >= 8) {
    const auto size32 = f.U32(at);
    auto type = f.Take(at + 4, 4, 4);
    if (!size32 || !type) break;
    std::uint64_t size = *size32;
    std::uint64_t header = 8;
    if (size == 1) {
      const auto large = f.Unsigned(at + 8, 8);
      if (!large) break;
      size = *large;
      header = 16;
    } else if (size == 0) {
      size = end - at;  // to the end of the parent
    }
    if (size < header || size > end - at) break;
    boxes.push_back({std::move(*type), at + header, at + size});
    at += size;
  }
  return boxes;
}

bool IsIsoBoxFile(ByteFields& fields) { return fields.Is(4, "ftyp"); }

bool IsJpegXl(ByteFields& fields) { return fields.Is(0, kJxlSignature) || fields.Is(0, "\xFF\x0A"); }

void ReadIsoBoxes(ByteFields& fields, ContainerFindings& findings) {
  if (!IsIsoBoxFile(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(false);
  const Box* meta = nullptr;
  const std::vector<Box> top = ReadBoxes(fields, 0, fields.Length());
  ReadCanonRawBoxes(fields, top, findings);
  meta = Find(top, "meta");
  if (meta == nullptr) return;
  const std::vector<Box> inner = ReadBoxes(fields, meta->data + 4, meta->end);  // after version and flags
  findings.size = PrimarySize(fields, inner);
  const Box* iinf = Find(inner, "iinf");
  const Box* iloc = Find(inner, "iloc");
  if (iinf == nullptr || iloc == nullptr) return;
  const std::vector<std::uint32_t> xmpItems = XmpItems(fields, *iinf);
  if (xmpItems.empty()) return;
  const std::map<std::uint32_t, ItemLocation> locations = Locations(fields, *iloc);
  const auto location = locations.find(xmpItems.front());
  if (location == locations.end()) {
    findings.problems.push_back("XMP item without a location");
    return;
  }
  if (auto bytes = ItemBytes(fields, location->second, Find(inner, "idat"))) {
    findings.xmp = XmpAsUtf8(*bytes);
  } else {
    findings.problems.push_back("XMP item outside the file or too large to read");
  }
}

void ReadJpegXl(ByteFields& fields, ContainerFindings& findings) {
  if (!IsJpegXl(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(false);
  if (fields.Is(0, "\xFF\x0A")) {
    findings.size = CodestreamSize(fields, 0, fields.Length());
    return;
  }
  for (const Box& box : ReadBoxes(fields, 0, fields.Length())) {
    if (box.type == "xml " && !findings.xmp) {
      if (auto bytes = fields.Take(box.data, box.end - box.data, kMaxHeldXmp)) {
        findings.xmp = XmpAsUtf8(*bytes);
      } else {
        findings.problems.push_back("XMP box too large to read");
      }
    } else if (box.type == "brob" && fields.Is(box.data, "xml ") && !findings.xmp) {
      findings.problems.push_back("compressed XMP box not read");
    } else if ((box.type == "jxlc" || box.type == "jxlp") && !findings.size) {
      // A partial codestream box begins with its 4-byte index.
      const std::uint64_t start = box.type == "jxlp" ? box.data + 4 : box.data;
      if (start < box.end) findings.size = CodestreamSize(fields, start, box.end);
    }
  }
}

}  // namespace tessarine
