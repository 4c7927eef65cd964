#pragma once
// The image resources of a Photoshop file (its resource section, a JPEG's APP13 segments, a TIFF's
// Photoshop tag): "8BIM", a 16-bit id, a Pascal name padded to an even length, a 32-bit size and
// the data padded to an even length.

#include <cstdint>
#include <string>

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// Walks the resources of [start, end) and takes the IIM (0x0404) and XMP (0x0424) of the first
// resource of each id into the findings, unless these already hold one.
void ReadPhotoshopResources(ByteFields& fields, std::uint64_t start, std::uint64_t end, ContainerFindings& findings);

// The same over resources held in memory (a JPEG's APP13 payloads joined, a PNG's raw profile):
// their IIM, their XMP where the findings hold none, and their problems.
void ReadPhotoshopResourceBytes(const std::string& bytes, ContainerFindings& findings);

}  // namespace tessarine

namespace tessarine {

// A Photoshop file ("8BPS"): the size from its header and the resources of its resource section.
bool IsPsd(ByteFields& fields);
void ReadPsdStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
