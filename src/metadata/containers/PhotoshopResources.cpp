#include "metadata/containers/PhotoshopResources.h"

#include <algorithm>

#include "metadata/ByteSource.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {

void ReadPhotoshopResources(ByteFields& fields, std::uint64_t start, std::uint64_t end, ContainerFindings& findings) {
  end = std::min(end, fields.Length());
  std::uint64_t at = start;
  // Each resource takes at least 12 bytes, so the walk ends; the count bounds a hostile section.
  for (int count = 0; count < 100'000 && at < end && end - at >= 12; ++count) {
    if (!fields.Is(at, "8BIM")) break;
    const auto id = fields.U16(at + 4);
    const auto nameLength = fields.U8(at + 6);
    if (!id || !nameLength) break;
    const std::uint64_t sizeAt = at + 6 + ((1 + std::uint64_t{*nameLength} + 1) & ~std::uint64_t{1});
    const auto size = sizeAt + 4 <= end ? fields.U32(sizeAt) : std::nullopt;
    if (!size) break;
    const std::uint64_t dataAt = sizeAt + 4;
    if (*size > end - dataAt) {
      findings.problems.push_back("image resource " + std::to_string(*id) + " cut off by the end of its section");
      break;
    }
    if (*id == 0x0404 && !findings.iim) {
      findings.iim = fields.Take(dataAt, *size, kMaxHeldIim);
      if (!findings.iim) findings.problems.push_back("IIM resource too large to read");
    } else if (*id == 0x0424 && !findings.xmp) {
      if (auto bytes = fields.Take(dataAt, *size, kMaxHeldXmp)) {
        findings.xmp = XmpAsUtf8(*bytes);
      } else {
        findings.problems.push_back("XMP resource too large to read");
      }
    }
    at = dataAt + *size + (*size & 1);
  }
}

}  // namespace tessarine

namespace tessarine {

bool IsPsd(ByteFields& fields) { return fields.Is(0, "8BPS"); }

void ReadPsdStructure(ByteFields& fields, ContainerFindings& findings) {
  if (!IsPsd(fields)) return;
  findings.recognised = true;
  fields.SetLittleEndian(false);
  // Header (26 bytes): signature, version, 6 reserved, channels, height, width, depth, mode.
  const auto height = fields.U32(14);
  const auto width = fields.U32(18);
  if (width && height) findings.size = PixelDimensions{*width, *height};
  const auto colourData = fields.U32(26);
  if (!colourData) return;
  const std::uint64_t sectionAt = 30 + std::uint64_t{*colourData};
  const auto sectionSize = fields.U32(sectionAt);
  if (!sectionSize) return;
  ReadPhotoshopResources(fields, sectionAt + 4, sectionAt + 4 + *sectionSize, findings);
}

void ReadPhotoshopResourceBytes(const std::string& bytes, ContainerFindings& findings) {
  const MemoryByteSource source({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  ByteWindow window(source, bytes.size());
  ByteFields fields(window);
  ContainerFindings fromResources;
  ReadPhotoshopResources(fields, 0, bytes.size(), fromResources);
  if (fromResources.iim) findings.iim = std::move(fromResources.iim);
  if (!findings.xmp && fromResources.xmp) findings.xmp = std::move(fromResources.xmp);
  findings.problems.insert(findings.problems.end(), fromResources.problems.begin(), fromResources.problems.end());
}

}  // namespace tessarine
