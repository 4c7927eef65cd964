#include "metadata/containers/TiffStructure.h"

#include <algorithm>
#include <set>
#include <vector>

#include "metadata/containers/ExifFacts.h"
#include "metadata/containers/JpegStructure.h"
#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

constexpr int kMaxDirectories = 64;
constexpr std::uint64_t kMaxEntries = 4096;
// Offsets waiting to be walked: enough for every directory a real file has.
constexpr std::size_t kMaxPending = 256;
// Previews looked at: a raw file carries three or four, a multi-picture JPEG a few.
constexpr std::size_t kMaxPreviews = 16;
// An MPF index entry: attributes, size, offset (4 bytes each), two dependent entries (2 each).
constexpr std::uint64_t kMultiPictureEntry = 16;

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

// A directory waiting to be walked, and what kind it is.
struct Pending {
  std::uint64_t at;
  TiffDirectory directory;
};

// A stretch of bytes that may hold a JPEG preview.
struct Candidate {
  std::uint64_t offset;
  std::uint64_t length;
};

struct Walk {
  Walk(ByteFields& fieldsOf, std::uint64_t baseAt, std::uint64_t endAt, std::optional<EmbeddedTiff> kind,
       ContainerFindings& found)
      : fields(fieldsOf), layout{fieldsOf.U16(baseAt + 2) == 43u}, findings(found), base(baseAt),
        end(std::min(endAt, fieldsOf.Length())), embedded(kind) {}

  ByteFields& fields;
  Layout layout;
  ContainerFindings& findings;
  // Offsets in the structure count from its header at base; the previews lie before end.
  std::uint64_t base = 0;
  std::uint64_t end = 0;
  std::optional<EmbeddedTiff> embedded;  // none: the whole file is the TIFF
  std::set<std::uint64_t> seen;
  std::vector<Pending> pending;
  std::uint64_t bestArea = 0;
  std::vector<Candidate> candidates;
  ExifFacts facts;  // of this structure alone

  bool WantsFacts() const { return embedded != EmbeddedTiff::MultiPicture; }
  void Follow(std::uint64_t offset, TiffDirectory directory = TiffDirectory::Image) {
    if (offset != 0 && offset <= UINT64_MAX - base && pending.size() < kMaxPending) {
      pending.push_back({base + offset, directory});
    }
  }
  void AddCandidate(std::uint64_t offset, std::uint64_t length) {
    if (offset > UINT64_MAX - base) return;
    offset += base;
    if (length > 0 && offset < end && length <= end - offset && candidates.size() < kMaxPreviews) {
      candidates.push_back({offset, length});
    }
  }
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
    if (!offset || *offset > UINT64_MAX - walk.base) return std::nullopt;
    entry.valueAt = walk.base + *offset;
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

// The images of a multi-picture index (tag B002) but the first, the primary image itself.
void AddMultiPictureEntries(Walk& walk, const Entry& entry) {
  for (std::uint64_t n = 1; n < entry.count / kMultiPictureEntry && n <= kMaxPreviews; ++n) {
    const std::uint64_t at = entry.valueAt + n * kMultiPictureEntry;
    const auto size = walk.fields.U32(at + 4);
    const auto offset = walk.fields.U32(at + 8);
    if (size && offset && *offset != 0) walk.AddCandidate(*offset, *size);
  }
}

// Tags of the file's own image (its metadata, its size): not read in an embedded structure.
void ReadImageTag(Walk& walk, const Entry& entry) {
  ByteFields& f = walk.fields;
  switch (entry.tag) {
    case 700:
      if (!walk.findings.xmp) {
        if (auto bytes = f.Take(entry.valueAt, entry.byteCount, kMaxHeldXmp)) {
          walk.findings.xmp = XmpAsUtf8(*bytes);
        } else {
          walk.findings.problems.push_back("XMP tag outside the file or too large to read");
        }
      }
      break;
    case 33723:
      // Written as UNDEFINED, BYTE or LONG: the values' bytes are the datasets whatever the type.
      if (!walk.findings.iim) {
        walk.findings.iim = f.Take(entry.valueAt, entry.byteCount, kMaxHeldIim);
        if (!walk.findings.iim) walk.findings.problems.push_back("IPTC tag outside the file or too large to read");
      }
      break;
    case 34377:
      if (f.Has(entry.valueAt, entry.byteCount)) {
        ReadPhotoshopResources(f, entry.valueAt, entry.valueAt + entry.byteCount, walk.findings);
      }
      break;
    case 46:
      // A raw variant's JPEG preview, held whole as the tag's value.
      if (entry.type == 7 && entry.valueAt >= walk.base) walk.AddCandidate(entry.valueAt - walk.base, entry.byteCount);
      break;
    default: break;
  }
}

// An EXIF or GPS directory: its facts only.
void ReadFactsDirectory(Walk& walk, std::uint64_t at, TiffDirectory directory) {
  const auto count = walk.fields.Unsigned(at, static_cast<std::size_t>(walk.layout.CountSize()));
  if (!count || *count > kMaxEntries || !walk.WantsFacts()) return;
  for (std::uint64_t i = 0; i < *count; ++i) {
    const std::optional<Entry> entry = ReadEntry(walk, at + walk.layout.CountSize() + i * walk.layout.EntrySize());
    if (entry) ReadExifFact(walk.fields, directory, {entry->tag, entry->type, entry->count, entry->valueAt}, walk.facts);
  }
}

void ReadDirectory(Walk& walk, std::uint64_t at, bool first) {
  ByteFields& f = walk.fields;
  const auto count = f.Unsigned(at, static_cast<std::size_t>(walk.layout.CountSize()));
  if (!count || *count > kMaxEntries) return;
  std::optional<std::uint64_t> width, height, jpegAt, jpegLength, compression, stripAt, stripLength;
  std::uint64_t subfileType = 0;
  bool jpegTables = false;
  const std::uint64_t entries = at + walk.layout.CountSize();
  for (std::uint64_t i = 0; i < *count; ++i) {
    const std::optional<Entry> entry = ReadEntry(walk, entries + i * walk.layout.EntrySize());
    if (!entry) continue;
    switch (entry->tag) {
      case 254: subfileType = Value(walk, *entry, 0).value_or(0); break;
      case 256: width = Value(walk, *entry, 0); break;
      case 257: height = Value(walk, *entry, 0); break;
      case 259: compression = Value(walk, *entry, 0); break;
      case 273: if (entry->count == 1) stripAt = Value(walk, *entry, 0); break;
      case 279: if (entry->count == 1) stripLength = Value(walk, *entry, 0); break;
      case 347: jpegTables = true; break;
      case 513: jpegAt = Value(walk, *entry, 0); break;
      case 514: jpegLength = Value(walk, *entry, 0); break;
      case 274:
        if (first && walk.embedded != EmbeddedTiff::MultiPicture) {
          const std::uint64_t orientation = Value(walk, *entry, 0).value_or(0);
          if (orientation >= 1 && orientation <= 8) walk.findings.orientation = static_cast<int>(orientation);
        }
        break;
      case 330:
        for (std::uint64_t n = 0; n < entry->count && n < kMaxDirectories; ++n) {
          if (auto sub = Value(walk, *entry, n)) walk.Follow(*sub);
        }
        break;
      case 0xB002:
        if (walk.embedded == EmbeddedTiff::MultiPicture && entry->type == 7) AddMultiPictureEntries(walk, *entry);
        break;
      case 0x8769:
      case 0x8825:
        if (auto sub = Value(walk, *entry, 0); sub && walk.WantsFacts()) {
          walk.Follow(*sub, entry->tag == 0x8769 ? TiffDirectory::Exif : TiffDirectory::Gps);
        }
        break;
      default:
        if (!walk.embedded) ReadImageTag(walk, *entry);
        if (first && walk.WantsFacts()) {
          ReadExifFact(f, TiffDirectory::Image, {entry->tag, entry->type, entry->count, entry->valueAt}, walk.facts);
        }
        break;
    }
  }
  if (jpegAt && jpegLength) walk.AddCandidate(*jpegAt, *jpegLength);
  // A whole JPEG stream in one strip (a raw file's full-size preview); one whose tables lie apart
  // (tag 347) is no stream of its own.
  if ((compression == 6u || compression == 7u) && stripAt && stripLength && !jpegTables) {
    walk.AddCandidate(*stripAt, *stripLength);
  }
  // A reduced-resolution image (bit 0 of the subfile type) is a preview, never the picture's size.
  const bool ownSize = !walk.embedded || walk.embedded == EmbeddedTiff::CameraDirectory;
  if (ownSize && width && height && *width > 0 && *height > 0 && *width <= UINT32_MAX &&
      *height <= UINT32_MAX && (subfileType & 1) == 0 && *width * *height > walk.bestArea) {
    walk.bestArea = *width * *height;
    walk.findings.size = PixelDimensions{static_cast<std::uint32_t>(*width), static_cast<std::uint32_t>(*height)};
  }
  if (auto next = f.Unsigned(entries + *count * walk.layout.EntrySize(), static_cast<std::size_t>(walk.layout.WordSize()))) {
    walk.Follow(*next);
  }
}

// Walks the directories from the first, each once, so a loop in the chain ends; then takes the
// candidates that are JPEG streams with a frame size as the previews.
void WalkDirectories(Walk& walk, TiffDirectory firstDirectory = TiffDirectory::Image) {
  const std::uint64_t base = walk.base;
  const auto first = walk.layout.big ? walk.fields.Unsigned(base + 8, 8) : walk.fields.Unsigned(base + 4, 4);
  if (!first) return;
  walk.Follow(*first, firstDirectory);
  const std::uint64_t firstAt = walk.pending.empty() ? 0 : walk.pending.front().at;
  while (!walk.pending.empty() && static_cast<int>(walk.seen.size()) < kMaxDirectories) {
    const Pending next = walk.pending.front();
    walk.pending.erase(walk.pending.begin());
    if (!walk.seen.insert(next.at).second) continue;
    if (next.directory == TiffDirectory::Image) {
      ReadDirectory(walk, next.at, next.at == firstAt);
    } else {
      ReadFactsDirectory(walk, next.at, next.directory);
    }
  }
  SignExifPosition(walk.facts);
  MergeExifFacts(walk.findings.exif, walk.facts);
  for (const Candidate& candidate : walk.candidates) {
    if (walk.findings.previews.size() >= kMaxPreviews) break;
    if (auto size = JpegPreviewSize(walk.fields, candidate.offset, candidate.offset + candidate.length)) {
      walk.findings.previews.push_back({candidate.offset, candidate.length, *size});
    }
  }
}

}  // namespace

namespace {

bool IsTiffHeaderAt(ByteFields& fields, std::uint64_t base) {
  const bool little = fields.Is(base, "II");
  if (!little && !fields.Is(base, "MM")) return false;
  fields.SetLittleEndian(little);
  const auto magic = fields.U16(base + 2);
  // 42 TIFF, 43 BigTIFF, and the variants of two raw formats that keep the TIFF layout.
  return magic && (*magic == 42 || *magic == 43 || *magic == 0x4F52 || *magic == 0x5352 || *magic == 0x55);
}

}  // namespace

bool IsTiffHeader(ByteFields& fields) { return IsTiffHeaderAt(fields, 0); }

void ReadTiffStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsTiffHeader(fields)) return;
  findings.recognised = true;
  Walk walk(fields, 0, fields.Length(), std::nullopt, findings);
  WalkDirectories(walk);
}

void ReadEmbeddedTiffPreviews(ByteFields& fields, std::uint64_t base, std::uint64_t end, EmbeddedTiff kind,
                              ContainerFindings& findings, TiffDirectory first) {
  // The container around it goes on in its own byte order.
  const bool containerOrder = fields.LittleEndian();
  if (IsTiffHeaderAt(fields, base)) {
    Walk walk(fields, base, end, kind, findings);
    WalkDirectories(walk, first);
  }
  fields.SetLittleEndian(containerOrder);
}

}  // namespace tessarine
