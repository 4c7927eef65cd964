#include "metadata/containers/ContainerStructure.h"

#include "metadata/containers/GifStructure.h"
#include "metadata/containers/IsoBoxes.h"
#include "metadata/containers/JpegStructure.h"
#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/PngStructure.h"
#include "metadata/containers/TiffStructure.h"
#include "metadata/containers/WebpStructure.h"

namespace tessarine {
namespace {

// A file of boxes is a picture by its major brand ("HEIF" or "AVIF"); others (a video) are not.
std::string IsoPictureKind(ByteFields& fields) {
  for (const char* brand : {"avif", "avis"}) {
    if (fields.Is(8, brand)) return "AVIF";
  }
  for (const char* brand : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}) {
    if (fields.Is(8, brand)) return "HEIF";
  }
  return {};
}

}  // namespace

ContainerFindings ReadContainerStructure(ByteWindow& window) {
  ContainerFindings findings;
  ByteFields fields(window);
  if (fields.Is(0, "\xFF\xD8")) {
    findings.recognised = true;
    ReadJpegStructure(fields, findings);
  } else if (IsTiffHeader(fields)) {
    ReadTiffStructure(fields, findings);
  } else if (IsPsd(fields)) {
    ReadPsdStructure(fields, findings);
  } else if (IsPng(fields)) {
    findings.pixelKind = "PNG";
    ReadPngStructure(fields, findings);
  } else if (IsWebp(fields)) {
    findings.pixelKind = "WebP";
    ReadWebpStructure(fields, findings);
  } else if (IsGif(fields)) {
    ReadGifStructure(fields, findings);
  } else if (IsJpegXl(fields)) {
    findings.pixelKind = "JPEG XL";
    ReadJpegXl(fields, findings);
  } else if (IsIsoBoxFile(fields)) {
    findings.pixelKind = IsoPictureKind(fields);
    ReadIsoBoxes(fields, findings);
  }
  return findings;
}

}  // namespace tessarine
