#pragma once
// A JPEG's metadata segments, walked marker by marker up to the first scan: the XMP APP1 segment
// whatever its packet's encoding or wrapper, the extension packet split over further APP1
// segments, the image resources of every Photoshop APP13 segment taken together, and the previews
// of its EXIF (APP1) and multi-picture (APP2) segments.

#include <functional>

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// One marker segment: its marker and where its payload lies, cut at the stream's end (a marker
// without a length has none).
struct JpegSegment {
  std::uint32_t marker;
  std::uint64_t payload;
  std::uint64_t size;
  bool whole;  // not cut: the payload is as long as its length says
};

// Walks the marker segments of the JPEG stream at [start, end), from after its FF D8 up to the
// header of its first scan, handing each to visit until it answers false.
void WalkJpegSegments(ByteFields& fields, std::uint64_t start, std::uint64_t end,
                      const std::function<bool(const JpegSegment&)>& visit);

// The size the frame header of the JPEG stream at [start, end) gives.
std::optional<PixelDimensions> JpegFrameSize(ByteFields& fields, std::uint64_t start, std::uint64_t end);

// The same for a preview, which must also end as a whole stream does (its end-of-image marker
// within its last bytes): a preview cut short decodes to a picture half grey.
std::optional<PixelDimensions> JpegPreviewSize(ByteFields& fields, std::uint64_t start, std::uint64_t end);

// For a file that begins with FF D8.
void ReadJpegStructure(ByteFields& fields, ContainerFindings& findings);

}  // namespace tessarine
