#pragma once
// XMP sidecar files: "name.xmp" or "name.ext.xmp" beside an image holds the XMP of an image that
// carries no packet of its own.

#include <filesystem>
#include <string>
#include <vector>

#include "metadata/ImageMetadataReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

// The names a sidecar of the file may have, in the order they are tried.
std::vector<std::string> SidecarNames(const std::string& fileName);

// True when the name ends in ".xmp" (any case).
bool HasSidecarExtension(const std::string& fileName);

// True when fileName is a sidecar of one of the other names (the folder's files): "a.xmp" of "a.jpg"
// or of "a", "a.jpg.xmp" of "a.jpg".
bool IsSidecarOf(const std::string& fileName, const std::vector<std::string>& names);

// Takes the sidecars of the images among the names out of them (keeping the others' order) and
// returns them, in one pass over a folder's names however many sidecars it holds.
std::vector<std::string> SetAsideSidecars(std::vector<std::string>& names);

// When the record (read beyond the classic rules) has no packet of its own, reads the first
// sidecar of the image at path that exists, and notes where its values came from.
void ReadSidecarIfNoPacket(const std::filesystem::path& path, const MetadataReadContext& context, MetadataRecord& record);

}  // namespace tessarine
