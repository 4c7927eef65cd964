#pragma once
// Reads a file by its structure, whatever its name: JPEG, TIFF and the raw formats built on it,
// Photoshop, PNG, WebP, GIF, HEIF/AVIF and JPEG XL, recognised by their first bytes.

#include "metadata/ByteWindow.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// Throws ShortRead when the source gives fewer bytes than the window's length.
ContainerFindings ReadContainerStructure(ByteWindow& window);

}  // namespace tessarine
