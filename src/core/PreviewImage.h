#pragma once

#include <cstdint>
#include <vector>

namespace tessarine {

// A picture for the thumbnail preview: 24-bit RGB rows, top row first, no padding.
struct PreviewImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

}  // namespace tessarine
