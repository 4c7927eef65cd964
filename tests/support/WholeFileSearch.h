#pragma once
// The metadata reader as it was when it read every file whole into memory: the IIM and XMP searches,
// the IIM walk and the record they give, kept unchanged as the reference the streamed reader must
// match byte for byte (the searches' rules are a compatibility contract: stored catalogues depend on
// them). Test code only.

#include <optional>
#include <string>
#include <string_view>

#include "metadata/ContainerReader.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine::test {

IimSearch WholeFileIimBlock(Bytes bytes);
std::optional<std::string> WholeFileXmpPacket(Bytes bytes, bool isJpeg);
void WholeFileDecodeIim(Bytes bytes, const IimBlock& block, MetadataRecord& record);

// The record of the bytes, as the whole-file reader gave it.
MetadataRecord WholeFileRecord(Bytes bytes, std::string_view upperExtension, const MetadataReadContext& context);

// The record of a file of `size` bytes of which only `bytes` could be read: the record of those,
// after the short-read problem and alert.
MetadataRecord WholeFileShortReadRecord(Bytes bytes, std::uint64_t size, std::string_view upperExtension,
                                        const MetadataReadContext& context);

// What differs between two records, "" when nothing does: the one comparison of the tests and
// the fuzzer.
std::string RecordDifference(const MetadataRecord& a, const MetadataRecord& b);

}  // namespace tessarine::test
