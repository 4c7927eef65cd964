#include "metadata/ByteWindow.h"

#include <gtest/gtest.h>

#include <string>

#include "metadata/EndingSource.h"
#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

std::string Numbered(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

std::string AsString(Bytes bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

TEST(ByteWindow, GivesTheBytesOfAnyRangeAcrossRefillsAndClipsThemAtTheLengthAndItsCapacity) {
  const std::string data = Numbered(1000);
  const MemoryByteSource source(AsBytes(data));
  for (std::size_t capacity : {64u, 97u, 4096u}) {
    ByteWindow window(source, 900, capacity);
    // Forward, backward and overlapping requests, each against the bytes themselves.
    for (std::uint64_t offset : {0u, 1u, 63u, 64u, 96u, 97u, 500u, 40u, 836u, 899u, 900u, 950u}) {
      for (std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{50}, window.Capacity()}) {
        const std::string expected = offset >= 900 ? "" : data.substr(offset, std::min<std::size_t>(count, 900 - offset));
        EXPECT_EQ(AsString(window.View(offset, count)), expected) << capacity << " " << offset << " " << count;
        if (offset < 900) {
          EXPECT_EQ(window.At(offset), static_cast<std::uint8_t>(data[offset]));
        }
      }
    }
    std::string copy;
    window.AppendTo(5, 2000, copy);
    EXPECT_EQ(copy, data.substr(5, 895)) << capacity;
  }
  // A capacity below the least is raised to it; a window of no length gives nothing.
  ByteWindow tiny(source, 10, 1);
  EXPECT_EQ(tiny.Capacity(), ByteWindow::kMinimumCapacity);
  EXPECT_EQ(AsString(tiny.View(0, 64)), data.substr(0, 10));
  EXPECT_TRUE(ByteWindow(source, 0).View(0, 10).empty());
}

TEST(ByteWindow, ReportsWhereTheSourceStoppedGivingBytes) {
  const std::string data = Numbered(1000);
  const EndingSource source(data, 300);
  ByteWindow window(source, 1000, 64);
  EXPECT_EQ(window.At(236), static_cast<std::uint8_t>(data[236]));  // [236, 300) is all there
  try {
    window.View(250, 64);
    FAIL() << "no short read";
  } catch (const ShortRead& shortRead) {
    EXPECT_EQ(shortRead.at, 300u);
  }
  try {
    window.At(700);
    FAIL() << "no short read";
  } catch (const ShortRead& shortRead) {
    EXPECT_EQ(shortRead.at, 700u);  // nothing at all could be read there
  }
  // A window that ends where the data ends reads it all.
  ByteWindow clipped(source, 300, 64);
  std::string copy;
  clipped.AppendTo(0, 1000, copy);
  EXPECT_EQ(copy, data.substr(0, 300));
}

}  // namespace
}  // namespace tessarine
