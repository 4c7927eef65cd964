#pragma once
// A TIFF's image file directories (also those of the raw formats built on TIFF: DNG, NEF, ARW,
// CR2...; and BigTIFF): the XMP tag (700), the IPTC tag (33723), the Photoshop resources tag
// (34377), and the pixel size of the largest full-resolution image (tags 254, 256, 257), looking
// into the chain of directories and their SubIFDs (330).

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// True when the bytes begin with a TIFF header this reader walks.
bool IsTiffHeader(ByteFields& fields);

void ReadTiffStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
