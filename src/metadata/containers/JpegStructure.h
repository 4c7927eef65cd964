#pragma once
// A JPEG's metadata segments, walked marker by marker up to the first scan: the XMP APP1 segment
// whatever its packet's encoding or wrapper, the extension packet split over further APP1
// segments, and the image resources of every Photoshop APP13 segment taken together.

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// For a file that begins with FF D8.
void ReadJpegStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
