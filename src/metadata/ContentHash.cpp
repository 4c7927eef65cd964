#include "metadata/ContentHash.h"

#include <xxhash.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tessarine {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

struct StateFree {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

std::optional<std::string> ContentHash(const ByteSource& source, std::uint64_t length) {
  const std::unique_ptr<XXH3_state_t, StateFree> state(XXH3_createState());
  if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) return std::nullopt;
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunkBytes)));
  for (std::uint64_t at = 0; at < length;) {
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length - at, chunk.size()));
    const std::size_t read = source.ReadAt(at, chunk.data(), wanted);
    if (read != wanted) return std::nullopt;
    XXH3_128bits_update(state.get(), chunk.data(), read);
    at += read;
  }
  const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return std::string(text, 32);
}

}  // namespace tessarine
