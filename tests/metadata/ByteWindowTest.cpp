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

TEST(ByteWindow, GivesTheBytesOfAnyRangeAcrossRefillsAndClipsThemAtTheLength) {
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
}

TEST(ByteWindow, GivesAScanWhatItHoldsAndReadsMoreEachTimeUpToItsCapacity) {
  const std::string data = Numbered(1 << 20);
  const MemoryByteSource source(AsBytes(data));
  ByteWindow window(source, data.size(), 256 << 10);
  // The first read is small: most files' metadata lies in their first kilobytes.
  Bytes chunk = window.Chunk(10, 20);
  EXPECT_EQ(chunk.size(), ByteWindow::kFirstRead);
  EXPECT_EQ(AsString(chunk), data.substr(10, chunk.size()));
  EXPECT_EQ(window.Chunk(20, 5).size(), ByteWindow::kFirstRead - 10);  // held already
  EXPECT_EQ(window.Chunk(ByteWindow::kFirstRead + 10, 1).size(), 2 * ByteWindow::kFirstRead);
  EXPECT_EQ(window.Chunk(500'000, 1).size(), 256u << 10);
  EXPECT_EQ(window.Chunk(770'000, 1).size(), 256u << 10);
  EXPECT_EQ(AsString(window.Chunk(data.size() - 3, 50)), data.substr(data.size() - 3));
  EXPECT_TRUE(window.Chunk(data.size(), 1).empty());
}

TEST(ByteWindow, NeverHoldsMoreThanItsCapacityNorMoreThanTheData) {
  const std::string data = Numbered(10);
  const MemoryByteSource source(AsBytes(data));
  ByteWindow tiny(source, 10, 1);
  EXPECT_EQ(tiny.Capacity(), ByteWindow::kMinimumCapacity);
  EXPECT_EQ(AsString(tiny.View(0, 64)), data);
  ByteWindow empty(source, 0);
  EXPECT_TRUE(empty.View(0, 10).empty());
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
