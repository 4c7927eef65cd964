#pragma once
// A WebP's RIFF chunks: the size from VP8X (the canvas), VP8 or VP8L, and the "XMP " chunk.

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

bool IsWebp(ByteFields& fields);
void ReadWebpStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
