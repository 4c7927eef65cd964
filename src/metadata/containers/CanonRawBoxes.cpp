#include "metadata/containers/CanonRawBoxes.h"

#include <string_view>

#include "metadata/containers/JpegStructure.h"
#include "metadata/containers/TiffStructure.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

using namespace std::string_view_literals;
constexpr std::string_view kXmpUuid = "\xBE\x7A\xCF\xCB\x97\xA9\x42\xE8\x9C\x71\x99\x94\x91\xE3\xAF\xAC"sv;
constexpr std::string_view kCameraUuid = "\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48"sv;
constexpr std::string_view kPreviewUuid = "\xEA\xF4\x2B\x5E\x1C\x98\x4B\x88\xB9\xFB\xB7\xDC\x40\x6E\x4D\x16"sv;
constexpr std::uint64_t kUuidSize = 16;
// A preview box's JPEG follows a short header of sizes; it is looked for within these bytes.
constexpr std::uint64_t kPreviewHeaderSearch = 32;
// The preview box lies after 8 bytes of the box of its uuid.
constexpr std::uint64_t kPreviewBoxAt = 8;

bool IsUuid(ByteFields& fields, const IsoBox& box, std::string_view uuid) {
  return box.type == "uuid" && fields.Is(box.data, uuid);
}

// The JPEG stream a preview box holds after its header, to the box's end.
void AddPreview(ByteFields& fields, const IsoBox& box, ContainerFindings& findings) {
  for (std::uint64_t at = box.data; at < box.data + kPreviewHeaderSearch && at + 2 < box.end; ++at) {
    if (!fields.Is(at, "\xFF\xD8")) continue;
    if (auto size = JpegPreviewSize(fields, at, box.end)) findings.previews.push_back({at, box.end - at, *size});
    return;
  }
}

void ReadCameraBox(ByteFields& fields, const IsoBox& camera, ContainerFindings& findings) {
  for (const IsoBox& box : ReadBoxes(fields, camera.data + kUuidSize, camera.end)) {
    if (box.type == "CMT1") {
      ReadEmbeddedTiffPreviews(fields, box.data, box.end, EmbeddedTiff::CameraDirectory, findings);
    } else if (box.type == "CMT2" || box.type == "CMT4") {
      const TiffDirectory kind = box.type == "CMT2" ? TiffDirectory::Exif : TiffDirectory::Gps;
      ReadEmbeddedTiffPreviews(fields, box.data, box.end, EmbeddedTiff::CameraDirectory, findings, kind);
    } else if (box.type == "THMB") {
      AddPreview(fields, box, findings);
    }
  }
}

}  // namespace

void ReadCanonRawBoxes(ByteFields& fields, const std::vector<IsoBox>& top, ContainerFindings& findings) {
  for (const IsoBox& box : top) {
    if (IsUuid(fields, box, kXmpUuid) && !findings.xmp) {
      if (auto bytes = fields.Take(box.data + kUuidSize, box.end - box.data - kUuidSize, kMaxHeldXmp)) {
        findings.xmp = XmpAsUtf8(*bytes);
      } else {
        findings.problems.push_back("XMP box too large to read");
      }
    } else if (IsUuid(fields, box, kPreviewUuid)) {
      for (const IsoBox& preview : ReadBoxes(fields, box.data + kUuidSize + kPreviewBoxAt, box.end)) {
        if (preview.type == "PRVW") AddPreview(fields, preview, findings);
      }
    } else if (box.type == "moov") {
      for (const IsoBox& inner : ReadBoxes(fields, box.data, box.end)) {
        if (IsUuid(fields, inner, kCameraUuid)) ReadCameraBox(fields, inner, findings);
      }
    }
  }
}

}  // namespace tessarine
