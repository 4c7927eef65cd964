#include "metadata/ImageMetadataReader.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>

#include "core/FileSystemFaults.h"
#include "metadata/ContainerReader.h"
#include "metadata/ContentHash.h"
#include "metadata/IimDecoder.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/RegularFile.h"
#include "metadata/XmpParser.h"
#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerStructure.h"
#include "metadata/containers/PlainJpegHeader.h"
#include "metadata/containers/Sidecar.h"
#include "metadata/containers/XmpMerge.h"

namespace tessarine {
namespace {

bool IsSymbolicLink(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

void ReadXmp(ByteWindow& window, bool isJpeg, const MetadataReadContext& context, MetadataRecord& record) {
  if (context.onlyIptc || context.parser == nullptr) return;
  const std::optional<XmpPacketRange> range = FindXmpPacketRange(window, isJpeg);
  if (!range || range->unclosed) {
    record.xmpState = XmpState::NoPacket;
    static_assert(kMaxHeldXmp == std::uint64_t{16} << 20, "the problem names the bound");
    if (range) record.problems.push_back("XMP packet not closed within 16 MiB: not read");
    return;
  }
  std::string packet;
  window.AppendTo(range->start, range->Size(), packet);
  if (auto error = context.parser->Read(packet, record)) {
    record.xmpState = XmpState::ParseError;
    // Nothing of a packet that failed is kept.
    record.xmp = ColumnValues();
    record.copyrightStatus = 0;
    record.custom = {};
    const std::string message = ParseErrorMessage(*error);
    record.problems.push_back(message);
    record.alerts.push_back({ReadAlert::Kind::XmpParseError, message});
    if (context.dump) context.dump->Write(packet);
    return;
  }
  record.xmpState = XmpState::Parsed;
}

// The record of the window's bytes by the classic rules; throws ShortRead when the source gives fewer.
IimSearch ReadClassicRecord(ByteWindow& window, std::string_view ext, const MetadataReadContext& context,
                            MetadataRecord& record) {
  record.supportIptc = SupportCode(window.View(0, 2), ext);
  if (record.supportIptc == "0") return {};
  if (record.supportIptc == "1") {
    ByteFields fields(window);
    record.plainJpegSize = PlainJpegSize(fields);
  }

  IimSearch iim = FindIimBlock(window);
  if (iim.truncated) record.problems.push_back("IIM resource cut off by the end of the file");
  if (iim.block) DecodeIim(window, *iim.block, record);

  ReadXmp(window, record.supportIptc == "1", context, record);
  return iim;
}

// Adds to the record what the file's structure holds beyond the classic rules (see beyondClassic).
// A read error here costs only this reading: the classic values stand as they were read.
void ReadBeyondClassic(ByteWindow& window, const IimSearch& classicIim, const MetadataReadContext& context,
                       MetadataRecord& record) {
  ContainerFindings found;
  try {
    found = ReadContainerStructure(window);
  } catch (const ShortRead& shortRead) {
    found = ContainerFindings();
    found.problems.push_back("Short read at " + std::to_string(shortRead.at) + ": the file's structure was not read");
  }
  if (!found.recognised && record.supportIptc == "0") return;

  auto more = std::make_shared<MetadataRecord>();
  more->supportIptc = record.supportIptc;
  more->iim = record.iim;
  more->xmp = record.xmp;
  more->copyrightStatus = record.copyrightStatus;
  more->custom = record.custom;
  more->companions = record.companions;
  more->xmpState = record.xmpState;
  more->problems = std::move(found.problems);
  more->pixelKind = std::move(found.pixelKind);
  more->previews = std::move(found.previews);
  more->orientation = found.orientation;
  more->exif = std::move(found.exif);
  if (found.size) {
    more->headerWidth = found.size->width;
    more->headerHeight = found.size->height;
  }
  if (!classicIim.block && found.iim && !found.iim->empty()) {
    const std::string& bytes = *found.iim;
    DecodeIim({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, IimBlock{0, bytes.size()}, *more);
  }
  if (!context.onlyIptc && context.parser != nullptr) {
    if (more->xmpState != XmpState::Parsed && more->xmpState != XmpState::ParseError && found.xmp) {
      ParseXmpInto(*context.parser, *found.xmp, *more);
    }
    if (more->xmpState == XmpState::Parsed && found.extendedXmp) {
      MergeExtendedXmp(*context.parser, *found.extendedXmp, *more);
    }
  }
  record.beyondClassic = std::move(more);
}

// The record of the window's bytes; throws ShortRead when the source gives fewer.
void ReadRecord(ByteWindow& window, std::string_view ext, const MetadataReadContext& context,
                MetadataRecord& record) {
  record.Clear();
  if (window.Length() == 0) return;
  const IimSearch iim = ReadClassicRecord(window, ext, context, record);
  if (context.modernFormats) ReadBeyondClassic(window, iim, context, record);
}

// Where reading the source from its start first comes up short, at or before `end` (where a read
// failed): the searches may have jumped over the first bytes that cannot be read, but the record is
// the one of the bytes a reader from the start gets.
std::uint64_t ReadableLength(const ByteSource& source, std::uint64_t end, std::size_t windowCapacity) {
  ByteWindow window(source, end, windowCapacity);
  try {
    for (std::uint64_t at = 0; at < end; at += window.View(at, window.Capacity()).size()) {
    }
  } catch (const ShortRead& shortRead) {
    return shortRead.at;
  }
  return end;
}

}  // namespace

std::string UpperExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(fileName.substr(dot + 1));
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ext;
}

void ReadImageMetadataFromSource(const ByteSource& source, std::uint64_t length, std::string_view ext,
                                 const MetadataReadContext& context, MetadataRecord& record,
                                 std::size_t windowCapacity) {
  std::uint64_t readable = length;
  for (;;) {
    ByteWindow window(source, readable, windowCapacity);
    try {
      ReadRecord(window, ext, context, record);
      break;
    } catch (const ShortRead& shortRead) {
      // The searches again over the bytes that can be read, as if the file ended there. Each
      // round ends below the last, so this ends.
      readable = ReadableLength(source, shortRead.at, windowCapacity);
    }
  }
  if (readable != length) {
    record.problems.insert(record.problems.begin(), "Short read: " + std::to_string(readable) + " of " +
                                                        std::to_string(length) + " bytes");
    record.alerts.insert(record.alerts.begin(), {ReadAlert::Kind::ReadError, "Error reading file ..."});
  }
}

void ReadImageMetadataFromBytes(Bytes bytes, std::string_view ext, const MetadataReadContext& context,
                                MetadataRecord& record, std::size_t windowCapacity) {
  const MemoryByteSource source(bytes);
  ReadImageMetadataFromSource(source, bytes.size(), ext, context, record, windowCapacity);
}

void ReadImageMetadata(const std::filesystem::path& path, std::string_view ext, const MetadataReadContext& context,
                       MetadataRecord& record) {
  record.Clear();
  if (const int fault = InjectedFileSystemFault("open", path.native())) {
    record.openError = fault;
    return;
  }
  const RegularFile file(path);
  if (!file.IsOpen()) {
    record.openError = file.Error();
    record.openProblem = file.Problem();
    return;
  }
  if (file.Size() < 1) return;
  const FileByteSource source(file.Descriptor());

  // The first two bytes decide whether the file is searched at all (a cleared record says "0"); a
  // file of another kind may still be read by its structure.
  std::uint8_t head[2];
  const auto headSize = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), 2));
  if (SupportCode({head, source.ReadAt(0, head, headSize)}, ext) != "0" || context.modernFormats) {
    ReadImageMetadataFromSource(source, file.Size(), ext, context, record);
    if (record.beyondClassic) ReadSidecarIfNoPacket(path, context, *record.beyondClassic);
  }
  // After the reading, which begins with a cleared record. A file reached through a symbolic link is
  // the file it leads to, not a copy of it: deleting that one as a copy would leave the link empty.
  if (context.hashContent && !IsSymbolicLink(path)) {
    record.contentHash = ContentHash(source, file.Size()).value_or("");
  }
}

}  // namespace tessarine
