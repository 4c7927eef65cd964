#pragma once
// The facts of the taking of a picture, read from the fields of a TIFF structure's directories:
// make and model from the image's own, date, exposure and lens from its EXIF directory (tag 8769),
// the position from its GPS directory (tag 8825).

#include <cstdint>

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

enum class TiffDirectory { Image, Exif, Gps };

// One field of a directory: its values lie at valueAt (count of the type's size each).
struct TiffField {
  std::uint32_t tag;
  std::uint32_t type;
  std::uint64_t count;
  std::uint64_t valueAt;
};

// Takes what the field of a directory of that kind says of the taking into the facts; other fields
// are left alone. Reads only inside the data.
void ReadExifFact(ByteFields& fields, TiffDirectory directory, const TiffField& field, ExifFacts& facts);

// Once every field is read: the position signed by its references (south, west, below sea level).
void SignExifPosition(ExifFacts& facts);

// Fills what `into` lacks from `from`: of two structures that say the same, the first counts.
void MergeExifFacts(ExifFacts& into, const ExifFacts& from);

}  // namespace tessarine
