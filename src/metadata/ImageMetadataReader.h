#pragma once
// Reads one file's IIM block and XMP packet into a metadata record.

#include <filesystem>
#include <string_view>

#include "metadata/ContainerReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

class ImageDecoder;
class XmpParser;

struct MetadataReadContext {
  bool onlyIptc = false;
  const XmpParser* parser = nullptr;  // created once per scan; XMP is skipped without one
  std::filesystem::path dumpFile;     // the packet that failed to parse is written here
  ImageDecoder* imageDecoder = nullptr;  // the scan's decoder; without one, the thread's own
};

// Clears the record, then fills its support code, IIM, XMP and custom values. Never throws
// for a damaged file: what could be read is kept and the problems are listed in the record. A path
// that cannot be opened, or is no regular file (a FIFO put there since the listing), is never
// waited on: its openError says why (see RegularFile) and nothing is read.
void ReadImageMetadata(const std::filesystem::path& path, std::string_view upperExtension,
                       const MetadataReadContext& context, MetadataRecord& record);

// The same over bytes already in memory (no read error can occur).
void ReadImageMetadataFromBytes(Bytes bytes, std::string_view upperExtension, const MetadataReadContext& context,
                                MetadataRecord& record);

// The text after the last "." of a file name, in upper case; "" without a ".".
std::string UpperExtension(std::string_view fileName);

}  // namespace tessarine
