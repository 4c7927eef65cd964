#pragma once
// A fast hash of a file's bytes, by which files of the same content are found: XXH3's 128 bits.
// It finds copies, renamed or not; it is no guard against someone who makes two files collide on
// purpose.

#include <cstdint>
#include <optional>
#include <string>

#include "metadata/ByteSource.h"

namespace tessarine {

// The hash of the first `length` bytes of the source as 32 lowercase hex digits; nothing when
// fewer could be read (the file shrank, a read failed): a hash of part of a file would name it a
// copy of another. Reads a bounded buffer at a time.
std::optional<std::string> ContentHash(const ByteSource& source, std::uint64_t length);

}  // namespace tessarine
