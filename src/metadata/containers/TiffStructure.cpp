#include "metadata/containers/TiffStructure.h"

#include <set>
#include <vector>

#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

constexpr int kMaxDirectories = 64;
constexpr std::uint64_t kMaxEntries = 4096;
// Offsets waiting to be walked: enough for every directory a real file has.
constexpr std::size_t kMaxPending = 256;

// Bytes per value of each field type (0 for unknown types).
std::uint64_t TypeSize(std::uint32_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;   // BYTE ASCII SBYTE UNDEFINED
    case 3: case 8: return 2;                   // SHORT SSHORT
    case 4: case 9: case 11: case 13: return 4; // LONG SLONG FLOAT IFD
    case 5: case 10: case 12: case 16: case 17: case 18: return 8;  // RATIONAL DOUBLE LONG8 SLONG8 IFD8
    default: return 0;
  }
}

struct Layout {
  bool big = false;  // BigTIFF: 8-byte counts and offsets, 20-byte entries
  std::uint64_t CountSize() const { return big ? 8 : 2; }
  std::uint64_t EntrySize() const { return big ? 20 : 12; }
  std::uint64_t WordSize() const { return big ? 8 : 4; }
};

struct Entry {
  std::uint32_t tag;
  std::uint32_t type;
  std::uint64_t count;
  std::uint64_t valueAt;  // where the values lie: in the entry, or at the offset it holds
  std::uint64_t byteCount;
};

struct Walk {
  ByteFields& fields;
  Layout layout;
  ContainerFindings& findings;
  std::set<std::uint64_t> seen;
  std::vector<std::uint64_t> pending;
  std::uint64_t bestArea = 0;
};

std::optional<Entry> ReadEntry(Walk& walk, std::uint64_t at) {
  ByteFields& f = walk.fields;
  const auto tag = f.U16(at);
  const auto type = f.U16(at + 2);
  const auto count = f.Unsigned(at + 4, walk.layout.big ? 8 : 4);
  if (!tag || !type || !count) return std::nullopt;
  const std::uint64_t size = TypeSize(*type);
  if (size == 0 || *count > UINT64_MAX / 8) return std::nullopt;
  Entry entry{*tag, *type, *count, at + 4 + walk.layout.WordSize(), *count * size};
  if (entry.byteCount > walk.layout.WordSize()) {
    const auto offset = f.Unsigned(entry.valueAt, walk.layout.WordSize());
    if (!offset) return std::nullopt;
    entry.valueAt = *offset;
  }
  return entry;
}

// The n-th value of a SHORT, LONG, LONG8 or IFD entry.
std::optional<std::uint64_t> Value(Walk& walk, const Entry& entry, std::uint64_t n) {
  const std::uint64_t size = TypeSize(entry.type);
  if (n >= entry.count || (entry.type != 3 && entry.type != 4 && entry.type != 13 && entry.type != 16 && entry.type != 18)) {
    return std::nullopt;
  }
  return walk.fields.Unsigned(entry.valueAt + n * size, static_cast<std::size_t>(size));
}

void ReadDirectory(Walk& walk, std::uint64_t at) {
  ByteFields& f = walk.fields;
  const auto count = f.Unsigned(at, static_cast<std::size_t>(walk.layout.CountSize()));
  if (!count || *count > kMaxEntries) return;
  std::optional<std::uint64_t> width, height;
  std::uint64_t subfileType = 0;
  const std::uint64_t first = at + walk.layout.CountSize();
  for (std::uint64_t i = 0; i < *count; ++i) {
    const std::optional<Entry> entry = ReadEntry(walk, first + i * walk.layout.EntrySize());
    if (!entry) continue;
    switch (entry->tag) {
      case 254: subfileType = Value(walk, *entry, 0).value_or(0); break;
      case 256: width = Value(walk, *entry, 0); break;
      case 257: height = Value(walk, *entry, 0); break;
      case 330:
        for (std::uint64_t n = 0; n < entry->count && n < kMaxDirectories; ++n) {
          auto sub = Value(walk, *entry, n);
          if (sub && walk.pending.size() < kMaxPending) walk.pending.push_back(*sub);
        }
        break;
      case 700:
        if (!walk.findings.xmp) {
          if (auto bytes = f.Take(entry->valueAt, entry->byteCount, kMaxHeldXmp)) {
            walk.findings.xmp = XmpAsUtf8(*bytes);
          } else {
            walk.findings.problems.push_back("XMP tag outside the file or too large to read");
          }
        }
        break;
      case 33723:
        // Written as UNDEFINED, BYTE or LONG: the values' bytes are the datasets whatever the type.
        if (!walk.findings.iim) {
          walk.findings.iim = f.Take(entry->valueAt, entry->byteCount, kMaxHeldIim);
          if (!walk.findings.iim) walk.findings.problems.push_back("IPTC tag outside the file or too large to read");
        }
        break;
      case 34377:
        if (f.Has(entry->valueAt, entry->byteCount)) {
          ReadPhotoshopResources(f, entry->valueAt, entry->valueAt + entry->byteCount, walk.findings);
        }
        break;
      default: break;
    }
  }
  // A reduced-resolution image (bit 0 of the subfile type) is a preview, never the picture's size.
  if (width && height && *width > 0 && *height > 0 && *width <= UINT32_MAX && *height <= UINT32_MAX &&
      (subfileType & 1) == 0 && *width * *height > walk.bestArea) {
    walk.bestArea = *width * *height;
    walk.findings.size = PixelDimensions{static_cast<std::uint32_t>(*width), static_cast<std::uint32_t>(*height)};
  }
  if (auto next = f.Unsigned(first + *count * walk.layout.EntrySize(), static_cast<std::size_t>(walk.layout.WordSize()))) {
    if (*next != 0 && walk.pending.size() < kMaxPending) walk.pending.push_back(*next);
  }
}

}  // namespace

bool IsTiffHeader(ByteFields& fields) {
  const bool little = fields.Is(0, "II");
  if (!little && !fields.Is(0, "MM")) return false;
  fields.SetLittleEndian(little);
  const auto magic = fields.U16(2);
  // 42 TIFF, 43 BigTIFF, and the variants of two raw formats that keep the TIFF layout.
  return magic && (*magic == 42 || *magic == 43 || *magic == 0x4F52 || *magic == 0x5352 || *magic == 0x55);
}

void ReadTiffStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsTiffHeader(fields)) return;
  findings.recognised = true;
  Walk walk{fields, {fields.U16(2) == 43u}, findings, {}, {}};
  const auto first = walk.layout.big ? fields.Unsigned(8, 8) : fields.Unsigned(4, 4);
  if (!first) return;
  walk.pending.push_back(*first);
  // Directory offsets are followed once each, so a loop in the chain ends.
  while (!walk.pending.empty() && static_cast<int>(walk.seen.size()) < kMaxDirectories) {
    const std::uint64_t at = walk.pending.front();
    walk.pending.erase(walk.pending.begin());
    if (at == 0 || !walk.seen.insert(at).second) continue;
    ReadDirectory(walk, at);
  }
}

}  // namespace tessarine
