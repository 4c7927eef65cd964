#include "metadata/IimDecoder.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/TextDecoding.h"
#include "core/ValueBound.h"

namespace tessarine {
namespace {

enum class Repeat { LastWins, Joins };

struct DatasetTarget {
  std::size_t column;
  Repeat repeat;
};

// Record-2 datasets and the column each one feeds.
std::array<const DatasetTarget*, 256> BuildDatasetTable() {
  static const std::array<std::pair<int, DatasetTarget>, 35> kDatasets{{
      {5, {col::ObjectName, Repeat::LastWins}},
      {7, {col::EditStatus, Repeat::LastWins}},
      {10, {col::Urgency, Repeat::LastWins}},
      {15, {col::Category, Repeat::LastWins}},
      {20, {col::SupplementalCategory, Repeat::Joins}},
      {22, {col::FixtureIdentifier, Repeat::LastWins}},
      {25, {col::Keywords, Repeat::Joins}},
      {30, {col::ReleaseDate, Repeat::LastWins}},
      {35, {col::ReleaseTime, Repeat::LastWins}},
      {40, {col::SpecialInstructions, Repeat::LastWins}},
      {45, {col::ReferenceService, Repeat::Joins}},
      {47, {col::ReferenceDate, Repeat::Joins}},
      {50, {col::ReferenceNumber, Repeat::Joins}},
      {55, {col::CreatedDate, Repeat::LastWins}},
      {60, {col::CreatedTime, Repeat::LastWins}},
      {65, {col::OriginatingProgram, Repeat::LastWins}},
      {70, {col::ProgramVersion, Repeat::LastWins}},
      {75, {col::ObjectCycle, Repeat::LastWins}},
      {80, {col::Byline, Repeat::Joins}},
      {85, {col::BylineTitle, Repeat::Joins}},
      {90, {col::City, Repeat::LastWins}},
      {92, {col::Location, Repeat::LastWins}},
      {95, {col::ProvinceState, Repeat::LastWins}},
      {100, {col::CountryCode, Repeat::LastWins}},
      {101, {col::Country, Repeat::LastWins}},
      {103, {col::OriginalTransmissionReference, Repeat::LastWins}},
      {105, {col::Headline, Repeat::LastWins}},
      {110, {col::Credit, Repeat::LastWins}},
      {115, {col::Source, Repeat::LastWins}},
      {116, {col::Copyright, Repeat::LastWins}},
      {118, {col::Contact, Repeat::LastWins}},
      {120, {col::Caption, Repeat::LastWins}},
      {121, {col::LocalCaption, Repeat::LastWins}},
      {122, {col::CaptionWriter, Repeat::Joins}},
      {130, {col::ImageType, Repeat::LastWins}},
  }};
  std::array<const DatasetTarget*, 256> table{};
  for (const auto& [number, target] : kDatasets) table[static_cast<std::size_t>(number)] = &target;
  return table;
}

const std::array<const DatasetTarget*, 256>& DatasetTable() {
  static const auto table = BuildDatasetTable();
  return table;
}

constexpr std::uint8_t kTag = 0x1C;
constexpr std::string_view kUtf8Designation = "\x1B%G";

// hhmmss... becomes hh:mm:ss; the time-zone offset after the sixth character is dropped.
std::string FormatTimeCreated(const std::string& value) {
  // Count characters, not bytes, so a stray multi-byte character is never split.
  std::size_t ends[6];
  std::size_t count = 0;
  for (std::size_t i = 0; i < value.size() && count < 6; ++i) {
    if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
    std::size_t end = i + 1;
    while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) ++end;
    ends[count++] = end;
  }
  if (count < 6) return value;
  return value.substr(0, ends[1]) + ":" + value.substr(ends[1], ends[3] - ends[1]) + ":" +
         value.substr(ends[3], ends[5] - ends[3]);
}

void Store(MetadataRecord& record, int dataset, std::string value) {
  constexpr int kKeywords = 25;
  if (dataset == kKeywords && record.companions.iimKeywords.size() < kMaxCompanionItems) {
    record.companions.iimKeywords.push_back(value);
  }
  if (const DatasetTarget* target = DatasetTable()[static_cast<std::size_t>(dataset)]) {
    std::string& column = record.iim[target->column];
    if (target->repeat == Repeat::Joins) {
      JoinListItem(column, value);
    } else {
      column = std::move(value);
    }
    if (target->column == col::CreatedTime) column = FormatTimeCreated(column);
    return;
  }
  std::string& customized = record.iim[col::Customized];
  if (customized.size() > kMaxValueBytes) return;
  customized.append("Field: ").append(std::to_string(dataset)).append(": ").append(value).append("\r\n");
}

// Record 1 may declare UTF-8 for the text of record 2 (dataset 1:90, ESC % G).
bool DeclaresUtf8(ByteWindow& window, std::uint64_t start, std::uint64_t end) {
  const std::uint64_t length = window.Length();
  for (std::uint64_t k = start; k + 4 < end; ++k) {
    if (window.At(k) != kTag || window.At(k + 1) != 0x01 || window.At(k + 2) != 90) continue;
    const std::size_t valueLength = (std::size_t{window.At(k + 3)} << 8) | window.At(k + 4);
    const std::uint64_t valueAt = k + 5;
    if (valueLength > length - std::min(valueAt, length)) return false;
    std::string value;
    window.AppendTo(valueAt, valueLength, value);
    return value.find(kUtf8Designation) != std::string::npos;
  }
  return false;
}

}  // namespace

void StoreIimDataset(MetadataRecord& record, int dataset, std::string_view raw, bool utf8) {
  Store(record, dataset, NormalizeLineBreaks(utf8 ? DecodeUtf8Bytes(raw) : DecodeWindows1252(raw)));
}

void DecodeIim(ByteWindow& window, const IimBlock& block, MetadataRecord& record) {
  // Every end test is against the file's length.
  const std::uint64_t length = window.Length();
  if (block.start >= length) return;
  // The walk may look at a tag up to and including offset start + size.
  const std::uint64_t last = block.size > length - block.start ? length : block.start + block.size;
  const bool utf8 = DeclaresUtf8(window, block.start, std::min(length, last + 1));

  // A value ends with its block, whatever its length says: the bytes after it belong to others.
  const std::uint64_t blockEnd = block.size > length - block.start ? length : block.start + block.size;
  std::uint64_t k = block.start;
  std::string value;
  while (k <= last && k + 2 < length) {
    if (window.At(k) != kTag || window.At(k + 1) != 0x02) {
      ++k;
      continue;
    }
    const int dataset = window.At(k + 2);
    if (k + 4 >= length) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) + " cut off by the end of the file");
      return;
    }
    const std::size_t valueLength = (std::size_t{window.At(k + 3)} << 8) | window.At(k + 4);
    const std::uint64_t valueAt = k + 5;
    const std::uint64_t available = length - valueAt;
    value.clear();
    window.AppendTo(valueAt, std::min<std::uint64_t>(valueLength, available), value);
    // The value ends before its first zero byte.
    const std::size_t zero = value.find('\0');
    const std::uint64_t textLength = zero != std::string::npos ? zero : valueLength;
    if (textLength > available) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) + " cut off by the end of the file");
      return;
    }
    const std::uint64_t inBlock = blockEnd > valueAt ? blockEnd - valueAt : 0;
    if (textLength > inBlock) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) +
                                " runs past the end of its block: cut there");
      if (dataset != 0 && inBlock > 0) {
        StoreIimDataset(record, dataset, std::string_view(value).substr(0, inBlock), utf8);
      }
      return;
    }
    if (dataset != 0) StoreIimDataset(record, dataset, std::string_view(value).substr(0, textLength), utf8);
    k = valueAt + valueLength;
  }
}

void DecodeIim(Bytes bytes, const IimBlock& block, MetadataRecord& record) {
  const MemoryByteSource source(bytes);
  ByteWindow window(source, bytes.size());
  DecodeIim(window, block, record);
}

}  // namespace tessarine
