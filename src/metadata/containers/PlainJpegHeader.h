#pragma once
// The size of a JPEG read from its header by the program itself, for the streams whose header the
// image library reads without fault: asking the decoder process costs a round trip per file.

#include <optional>

#include "metadata/containers/ByteFields.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

// The size the frame header gives, when everything before the first scan is what the library
// accepts: one baseline, extended or progressive frame of 8-bit samples, 1 to 4 components of
// sampling factors 1 to 4, sound quantisation and Huffman tables, a restart interval of its
// length, application segments and comments, then a scan header naming components of the frame.
// None for any other stream (another kind of frame, a second one, a cut or unknown segment): the
// library is asked then, and its answer, a size or none, stands as it always has.
std::optional<PixelDimensions> PlainJpegSize(ByteFields& fields);

}  // namespace tessarine
