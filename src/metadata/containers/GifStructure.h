#pragma once
// A GIF's blocks: the size from its logical screen and the XMP of its "XMP DataXMP" application
// extension.

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

bool IsGif(ByteFields& fields);
void ReadGifStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
