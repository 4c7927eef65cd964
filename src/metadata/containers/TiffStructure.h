#pragma once
// A TIFF's image file directories (also those of the raw formats built on TIFF: DNG, NEF, ARW,
// CR2...; and BigTIFF): the XMP tag (700), the IPTC tag (33723), the Photoshop resources tag
// (34377), the pixel size of the largest full-resolution image (tags 254, 256, 257), the orientation
// (274) and the JPEG previews (513/514, a JPEG stream in one strip, a raw variant's tag 46), looking
// into the chain of directories and their SubIFDs (330).

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"
#include "metadata/containers/ExifFacts.h"

namespace tessarine {

// True when the bytes begin with a TIFF header this reader walks.
bool IsTiffHeader(ByteFields& fields);

void ReadTiffStructure(ByteFields& fields, ContainerFindings& findings);

// A TIFF structure inside another container, whose offsets count from its header at base:
// a JPEG's EXIF segment (the orientation, the thumbnail), its multi-picture index (the pictures
// after the first), or a raw file's directory of its image (the size and orientation too). Only
// previews lying before end are taken.
// The first directory is the image's, or (a raw file of boxes keeps them apart) its EXIF or GPS
// directory.
enum class EmbeddedTiff { Exif, MultiPicture, CameraDirectory };
void ReadEmbeddedTiffPreviews(ByteFields& fields, std::uint64_t base, std::uint64_t end, EmbeddedTiff kind,
                              ContainerFindings& findings, TiffDirectory first = TiffDirectory::Image);

}  // namespace tessarine
