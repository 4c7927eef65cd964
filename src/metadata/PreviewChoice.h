#pragma once
// Which of the JPEG previews a file carries may stand in for its image when its thumbnail is made:
// decoding a camera's 160-px thumbnail or 1,920-px preview costs a fraction of decoding 12 MP.

#include <optional>
#include <vector>

#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// The smallest preview (the cheapest to decode) whose long side is at least the thumbnail's and
// whose aspect ratio is the image's within 1%: a camera's 4:3 thumbnail of a 3:2 picture carries
// black bands, and a preview of another shape is another picture. A preview larger than the image,
// or of more than 200 MP, is none. Without the image's size, the largest preview gives the shape.
// None when no preview qualifies.
std::optional<EmbeddedPreview> ChoosePreview(const std::vector<EmbeddedPreview>& previews, PixelDimensions image,
                                             int thumbnailSide);

// The size of the largest preview (0 x 0 without any): a raw file's picture as its camera rendered it.
PixelDimensions LargestPreviewSize(const std::vector<EmbeddedPreview>& previews);

}  // namespace tessarine
