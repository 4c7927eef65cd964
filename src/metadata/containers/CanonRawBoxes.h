#pragma once
// A camera's raw file made of boxes (CR3): its XMP packet in a box of its own (uuid BE7ACFCB...),
// the size and orientation in the first TIFF directory its camera box holds (moov / uuid 85C0B687...
// / CMT1), and its JPEG previews: the thumbnail there (THMB) and the larger preview in the box of
// uuid EAF42B5E... (PRVW).

#include <vector>

#include "metadata/containers/ContainerFindings.h"
#include "metadata/containers/IsoBoxes.h"

namespace tessarine {

void ReadCanonRawBoxes(ByteFields& fields, const std::vector<IsoBox>& top, ContainerFindings& findings);

}  // namespace tessarine
