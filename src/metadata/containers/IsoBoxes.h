#pragma once
// Files made of ISO base media boxes: HEIF and AVIF (the XMP item of the meta box, of type "mime"
// and content type application/rdf+xml, located through iloc; the primary item's ispe size) and
// JPEG XL (its "xml " box; the size from the codestream's header, also of a bare codestream).

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

bool IsIsoBoxFile(ByteFields& fields);
bool IsJpegXl(ByteFields& fields);
void ReadIsoBoxes(ByteFields& fields, ContainerFindings& findings);
void ReadJpegXl(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
