#include "metadata/containers/ContainerStructure.h"

#include "metadata/containers/IsoBoxes.h"
#include "metadata/containers/JpegStructure.h"
#include "metadata/containers/PhotoshopResources.h"
#include "metadata/containers/PngStructure.h"
#include "metadata/containers/TiffStructure.h"
#include "metadata/containers/WebpStructure.h"

namespace tessarine {

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
    ReadPngStructure(fields, findings);
  } else if (IsWebp(fields)) {
    ReadWebpStructure(fields, findings);
  } else if (IsJpegXl(fields)) {
    ReadJpegXl(fields, findings);
  } else if (IsIsoBoxFile(fields)) {
    ReadIsoBoxes(fields, findings);
  }
  return findings;
}

}  // namespace tessarine
