#pragma once
// A PNG's chunks: the size from IHDR and the XMP of the iTXt chunk "XML:com.adobe.xmp",
// compressed or not; failing that, the XMP and IIM ImageMagick keeps in "Raw profile type" text
// chunks.

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

bool IsPng(ByteFields& fields);
void ReadPngStructure(ByteFields& fields, ContainerFindings& findings);

// The zlib stream inflated, or nothing when it is damaged or would grow past limit.
std::optional<std::string> Inflate(std::string_view compressed, std::uint64_t limit);

}  // namespace tessarine
