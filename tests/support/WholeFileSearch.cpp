#include "support/WholeFileSearch.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "metadata/IimDecoder.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/XmpParser.h"

namespace tessarine::test {
namespace {

constexpr std::size_t kIimSearchLimit = 149'999;
constexpr std::size_t kPacketOffset = 33;
constexpr std::string_view kPacketHeader = "<?xpacket begin=";
constexpr std::string_view kPacketTrailer = "<?xpacket end=";
constexpr std::size_t kTrailerLength = 19;
constexpr std::uint8_t kTag = 0x1C;
constexpr std::string_view kUtf8Designation = "\x1B%G";

bool BytesAre(Bytes bytes, std::size_t at, std::string_view text) {
  return at <= bytes.size() && text.size() <= bytes.size() - at &&
         std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

std::uint32_t BigEndian16(Bytes bytes, std::size_t at) { return (std::uint32_t{bytes[at]} << 8) | bytes[at + 1]; }

std::uint32_t BigEndian32(Bytes bytes, std::size_t at) {
  return (BigEndian16(bytes, at) << 16) | BigEndian16(bytes, at + 2);
}

IimSearch ResourceAt(Bytes bytes, std::size_t q) {
  const std::size_t nameField = (1 + std::size_t{bytes[q + 6]} + 1) & ~std::size_t{1};
  const std::size_t sizeAt = q + 6 + nameField;
  if (sizeAt > bytes.size() || 4 > bytes.size() - sizeAt) return {std::nullopt, true};
  const std::size_t dataAt = sizeAt + 4;
  const std::size_t size = BigEndian32(bytes, sizeAt);
  return {IimBlock{dataAt, size}, size > bytes.size() - dataAt};
}

std::string PacketBetween(Bytes bytes, std::size_t start, std::size_t end) {
  std::string packet(reinterpret_cast<const char*>(bytes.data()) + start, end > start ? end - start : 0);
  if (auto trailer = packet.rfind(kPacketTrailer); trailer != std::string::npos) {
    packet.resize(std::min(packet.size(), trailer + kTrailerLength));
  }
  return packet;
}

bool DeclaresUtf8(Bytes bytes, std::size_t start, std::size_t end) {
  for (std::size_t k = start; k + 4 < end; ++k) {
    if (bytes[k] != kTag || bytes[k + 1] != 0x01 || bytes[k + 2] != 90) continue;
    const std::size_t length = (std::size_t{bytes[k + 3]} << 8) | bytes[k + 4];
    const std::size_t valueAt = k + 5;
    if (length > bytes.size() - std::min(valueAt, bytes.size())) return false;
    std::string_view value(reinterpret_cast<const char*>(bytes.data()) + valueAt, length);
    return value.find(kUtf8Designation) != std::string_view::npos;
  }
  return false;
}

void ReadXmp(Bytes bytes, bool isJpeg, const MetadataReadContext& context, MetadataRecord& record) {
  if (context.onlyIptc || context.parser == nullptr) return;
  std::optional<std::string> packet = WholeFileXmpPacket(bytes, isJpeg);
  if (!packet) {
    record.xmpState = XmpState::NoPacket;
    return;
  }
  if (auto error = context.parser->Read(*packet, record)) {
    record.xmpState = XmpState::ParseError;
    record.xmp = ColumnValues();
    record.copyrightStatus = 0;
    record.custom = {};
    const std::string message = ParseErrorMessage(*error);
    record.problems.push_back(message);
    record.alerts.push_back({ReadAlert::Kind::XmpParseError, message});
    if (context.dump) context.dump->Write(*packet);
    return;
  }
  record.xmpState = XmpState::Parsed;
}

}  // namespace

IimSearch WholeFileIimBlock(Bytes bytes) {
  const std::size_t length = bytes.size();
  for (std::size_t p = 0; p < kIimSearchLimit && p + 10 <= length; ++p) {
    if (bytes[p] != 0xFF || bytes[p + 1] != 0xED || !BytesAre(bytes, p + 4, "Photo")) continue;
    const std::size_t segmentEnd = p + BigEndian16(bytes, p + 2);
    for (std::size_t q = p + 4; q <= segmentEnd; ++q) {
      if (q + 6 >= length) return {};
      if (BytesAre(bytes, q, "8BIM") && bytes[q + 4] == 0x04 && bytes[q + 5] == 0x04) return ResourceAt(bytes, q);
    }
  }
  return {};
}

std::optional<std::string> WholeFileXmpPacket(Bytes bytes, bool isJpeg) {
  const std::size_t length = bytes.size();
  if (length < kPacketOffset + kPacketHeader.size() + 1) return std::nullopt;
  const auto* begin = bytes.data();
  const auto* searchEnd = begin + length - 1;
  const auto* at = begin + kPacketOffset;
  for (;;) {
    at = std::search(at, searchEnd, kPacketHeader.begin(), kPacketHeader.end());
    if (at == searchEnd) return std::nullopt;
    const std::size_t packetStart = static_cast<std::size_t>(at - begin);
    const std::size_t p = packetStart - kPacketOffset;
    if (!isJpeg) return PacketBetween(bytes, packetStart, length - 4);
    if (bytes[p] == 0xFF && bytes[p + 1] == 0xE1) {
      const std::size_t segmentLength = BigEndian16(bytes, p + 2);
      if (segmentLength == 0) return std::nullopt;
      return PacketBetween(bytes, packetStart, std::min(length, p + 2 + segmentLength));
    }
    ++at;
  }
}

void WholeFileDecodeIim(Bytes bytes, const IimBlock& block, MetadataRecord& record) {
  const std::size_t length = bytes.size();
  if (block.start >= length) return;
  const std::size_t last = block.size > length - block.start ? length : block.start + block.size;
  const bool utf8 = DeclaresUtf8(bytes, block.start, std::min(length, last + 1));

  std::size_t k = block.start;
  while (k <= last && k + 2 < length) {
    if (bytes[k] != kTag || bytes[k + 1] != 0x02) {
      ++k;
      continue;
    }
    const int dataset = bytes[k + 2];
    if (k + 4 >= length) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) + " cut off by the end of the file");
      return;
    }
    const std::size_t valueLength = (std::size_t{bytes[k + 3]} << 8) | bytes[k + 4];
    const std::size_t valueAt = k + 5;
    const std::size_t available = length - valueAt;
    const auto* valueBytes = reinterpret_cast<const char*>(bytes.data()) + valueAt;
    const void* zero = std::memchr(valueBytes, 0, std::min(valueLength, available));
    const std::size_t textLength =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - valueBytes) : valueLength;
    if (textLength > available) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) + " cut off by the end of the file");
      return;
    }
    const std::size_t blockEnd = std::min(last, length);
    if (textLength > blockEnd - std::min(blockEnd, valueAt)) {
      record.problems.push_back("IIM dataset 2:" + std::to_string(dataset) +
                                " runs past the end of its block: cut there");
      if (dataset != 0 && blockEnd > valueAt) {
        StoreIimDataset(record, dataset, std::string_view(valueBytes, blockEnd - valueAt), utf8);
      }
      return;
    }
    if (dataset != 0) StoreIimDataset(record, dataset, std::string_view(valueBytes, textLength), utf8);
    k = valueAt + valueLength;
  }
}

MetadataRecord WholeFileRecord(Bytes bytes, std::string_view ext, const MetadataReadContext& context) {
  MetadataRecord record;
  if (bytes.empty()) return record;
  record.supportIptc = SupportCode(bytes, ext);
  if (record.supportIptc == "0") return record;

  IimSearch iim = WholeFileIimBlock(bytes);
  if (iim.truncated) record.problems.push_back("IIM resource cut off by the end of the file");
  if (iim.block) WholeFileDecodeIim(bytes, *iim.block, record);

  ReadXmp(bytes, record.supportIptc == "1", context, record);
  return record;
}

MetadataRecord WholeFileShortReadRecord(Bytes bytes, std::uint64_t size, std::string_view ext,
                                        const MetadataReadContext& context) {
  MetadataRecord record = WholeFileRecord(bytes, ext, context);
  record.problems.insert(record.problems.begin(),
                         "Short read: " + std::to_string(bytes.size()) + " of " + std::to_string(size) + " bytes");
  record.alerts.insert(record.alerts.begin(), {ReadAlert::Kind::ReadError, "Error reading file ..."});
  return record;
}

namespace {

std::string Shown(const ColumnValues& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!values[i].empty()) text += std::to_string(i) + "=" + values[i] + "|";
  }
  return text;
}

}  // namespace

std::string RecordDifference(const MetadataRecord& a, const MetadataRecord& b) {
  std::string differs;
  auto compare = [&](const char* what, const auto& x, const auto& y) {
    if (!(x == y)) differs += std::string(what) + " differs; ";
  };
  compare("support code", a.supportIptc, b.supportIptc);
  if (Shown(a.iim) != Shown(b.iim)) differs += "IIM: " + Shown(a.iim) + " against " + Shown(b.iim) + "; ";
  if (Shown(a.xmp) != Shown(b.xmp)) differs += "XMP: " + Shown(a.xmp) + " against " + Shown(b.xmp) + "; ";
  compare("copyright status", a.copyrightStatus, b.copyrightStatus);
  compare("custom values", a.custom, b.custom);
  compare("packet state", a.xmpState, b.xmpState);
  compare("problems", a.problems, b.problems);
  bool sameAlerts = a.alerts.size() == b.alerts.size();
  for (std::size_t i = 0; sameAlerts && i < a.alerts.size(); ++i) {
    sameAlerts = a.alerts[i].kind == b.alerts[i].kind && a.alerts[i].text == b.alerts[i].text;
  }
  if (!sameAlerts) differs += "alerts differ; ";
  return differs;
}

}  // namespace tessarine::test
