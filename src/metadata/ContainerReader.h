#pragma once
// Finds the IIM block and the XMP packet in the bytes of a file by their signatures.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessarine {

using Bytes = std::span<const std::uint8_t>;

// "1" when the bytes begin with the JPEG marker FF D8; else "2" when the upper-case
// extension is JPG, JPEG, TIF, TIFF or PSD; else "0".
std::string SupportCode(Bytes bytes, std::string_view upperExtension);

struct IimBlock {
  std::size_t start = 0;
  std::size_t size = 0;
};

struct IimSearch {
  std::optional<IimBlock> block;
  bool truncated = false;  // the resource header was cut off by the end of the file
};

// Looks for an APP13 "Photo..." segment starting below offset 149,999 that holds an
// 8BIM resource 0x0404, and returns where its data (the IIM datasets) lies.
IimSearch FindIimBlock(Bytes bytes);

// The XMP packet as bytes, trailing padding after the packet trailer cut, or nothing.
// JPEG files are searched in APP1 segments only; other files at every offset.
std::optional<std::string> FindXmpPacket(Bytes bytes, bool isJpeg);

}  // namespace tessarine
