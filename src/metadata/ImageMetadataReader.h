#pragma once
// Reads one file's IIM block and XMP packet into a metadata record.

#include <filesystem>
#include <string_view>

#include "metadata/ByteSource.h"
#include "metadata/ByteWindow.h"
#include "metadata/ContainerReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

class ImageDecoder;
class ParsingErrorDump;
class XmpParser;

struct MetadataReadContext {
  bool onlyIptc = false;
  const XmpParser* parser = nullptr;  // created once per scan; XMP is skipped without one
  ParsingErrorDump* dump = nullptr;   // the scan's: its first packet that failed to parse goes there
  ImageDecoder* imageDecoder = nullptr;  // the scan's decoder; without one, the thread's own
  // Beyond the classic rules: XMP and IIM in other encodings and containers, and sidecar files.
  // Off, every record is exactly what the classic rules give.
  bool modernFormats = false;
  // With XMP preferred, a column the packet lacks keeps the IIM value (see AssembleColumns).
  bool keepIimWhenXmpMissing = false;
  // A thumbnail is made from a preview the file carries when one is the same picture (see
  // ChoosePreview); a raw file gets its thumbnail that way only.
  bool thumbnailsFromPreviews = false;
  // Every byte of the file is read for its hash (MetadataRecord::contentHash).
  bool hashContent = false;
};

// Clears the record, then fills its support code, IIM, XMP and custom values. Never throws
// for a damaged file: what could be read is kept and the problems are listed in the record. A path
// that cannot be opened, or is no regular file (a FIFO put there since the listing), is never
// waited on: its openError says why (see RegularFile) and nothing is read.
void ReadImageMetadata(const std::filesystem::path& path, std::string_view upperExtension,
                       const MetadataReadContext& context, MetadataRecord& record);

// The same over the first `length` bytes of a source, read through a window of the given capacity:
// memory stays bounded by the window, the XMP packet and the dataset being decoded, whatever the
// length. When the source gives fewer bytes than asked at some offset R, the record is the one of the
// first R bytes, with the problem "Short read: R of <length> bytes" and a ReadError alert first.
void ReadImageMetadataFromSource(const ByteSource& source, std::uint64_t length, std::string_view upperExtension,
                                 const MetadataReadContext& context, MetadataRecord& record,
                                 std::size_t windowCapacity = ByteWindow::kDefaultCapacity);

// The same over bytes already in memory (no read error can occur).
void ReadImageMetadataFromBytes(Bytes bytes, std::string_view upperExtension, const MetadataReadContext& context,
                                MetadataRecord& record, std::size_t windowCapacity = ByteWindow::kDefaultCapacity);

// The text after the last "." of a file name, in upper case; "" without a ".".
std::string UpperExtension(std::string_view fileName);

}  // namespace tessarine
