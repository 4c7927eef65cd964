// The hash of a file's content: every byte counts, across the reading's chunks, and a file that
// could not be read whole gets none.

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cstdio>

#include "EndingSource.h"
#include "metadata/ContentHash.h"

namespace tessarine::test {
namespace {

// The canonical form of the hash, as xxhsum -H2 prints it.
std::string Canonical(std::string_view bytes) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits(bytes.data(), bytes.size()));
  std::string hex;
  for (unsigned char byte : canonical.digest) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", byte);
    hex += two;
  }
  return hex;
}

TEST(ContentHash, EveryByteCountsAcrossChunksAndAPartialReadGivesNone) {
  std::string bytes(3 * (1 << 20) + 7, 'a');
  for (std::size_t i = 0; i < bytes.size(); i += 4093) bytes[i] = static_cast<char>(i);
  std::string lastChanged = bytes;
  lastChanged.back() = 'b';
  for (const std::string* content : {&bytes, &lastChanged}) {
    EXPECT_EQ(ContentHash(EndingSource(*content), content->size()), Canonical(*content));
  }
  EXPECT_EQ(ContentHash(EndingSource(bytes, bytes.size() - 1), bytes.size()), std::nullopt);
  EXPECT_EQ(ContentHash(EndingSource("x"), 1), Canonical("x"));
}

}  // namespace
}  // namespace tessarine::test
