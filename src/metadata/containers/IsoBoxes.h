#pragma once
// Files made of ISO base media boxes: HEIF and AVIF (the XMP item of the meta box, of type "mime"
// and content type application/rdf+xml, located through iloc; the primary item's ispe size) and
// JPEG XL (its "xml " box; the size from the codestream's header, also of a bare codestream),
// and a camera's raw file of boxes (see CanonRawBoxes).

#include <string>
#include <vector>

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

struct IsoBox {
  std::string type;
  std::uint64_t data;  // where the payload begins
  std::uint64_t end;   // where the box ends
};

// The boxes of [start, end), in order; a box that claims more than its parent holds ends the list.
std::vector<IsoBox> ReadBoxes(ByteFields& fields, std::uint64_t start, std::uint64_t end);

bool IsIsoBoxFile(ByteFields& fields);
bool IsJpegXl(ByteFields& fields);
void ReadIsoBoxes(ByteFields& fields, ContainerFindings& findings);
void ReadJpegXl(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
