#pragma once
// Finds the IIM block and the XMP packet of a file by their signatures, reading it through a
// bounded window: the searches' rules are those of the whole file in memory, byte for byte.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/ByteSource.h"
#include "metadata/ByteWindow.h"

namespace tessarine {

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
// 8BIM resource 0x0404, and returns where its data (the IIM datasets) lies. Reads no byte past
// about 215 KB.
IimSearch FindIimBlock(ByteWindow& window);
IimSearch FindIimBlock(Bytes bytes);

// Where the XMP packet lies: [start, end), trailing padding after the packet trailer cut.
struct XmpPacketRange {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  // A header was found, but no packet of at most kMaxHeldXmp bytes: nothing is to be read (the
  // range is empty).
  bool unclosed = false;
  std::uint64_t Size() const { return end - start; }
};

// JPEG files are searched in APP1 segments only; other files at every offset. Without a trailer
// the packet of a file that is no JPEG runs to its fourth byte from the end. That packet is looked
// at over its first kMaxHeldXmp bytes only: cut after the last trailer there, or, when it runs
// further and holds none, unclosed.
std::optional<XmpPacketRange> FindXmpPacketRange(ByteWindow& window, bool isJpeg);

// The packet's bytes, or nothing (also for an unclosed one).
std::optional<std::string> FindXmpPacket(Bytes bytes, bool isJpeg);

}  // namespace tessarine
