#pragma once
// The decoder program of the tests whose work crashes, hangs or raises signals on demand.

#include <cstdlib>
#include <filesystem>

namespace tessarine::test {

inline std::filesystem::path FaultyDecoderProgram() {
  const char* binaryDir = std::getenv("TESSARINE_BINARY_DIR");
  return std::filesystem::path(binaryDir != nullptr ? binaryDir : ".") / "tests" / "tessarine-test-decoder";
}

}  // namespace tessarine::test
