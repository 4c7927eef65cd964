#pragma once
// The dump of an XMP packet that failed to parse ("ParsingError.xmp" beside the settings file), made
// by a scan for its first such packet only. Files are read on several threads: one of them writes it.

#include <atomic>
#include <filesystem>
#include <string_view>
#include <utility>

namespace tessarine {

class ParsingErrorDump {
 public:
  explicit ParsingErrorDump(std::filesystem::path file) : m_file(std::move(file)) {}
  ParsingErrorDump(const ParsingErrorDump&) = delete;
  ParsingErrorDump& operator=(const ParsingErrorDump&) = delete;

  // The first call writes the packet's bytes and a line break; every later one does nothing. The
  // dump holds image content: it is its owner's only (0600). A link at its place is never written
  // through, nor replaced: the dump is then not written.
  void Write(std::string_view packet);

 private:
  const std::filesystem::path m_file;
  std::atomic<bool> m_taken{false};
};

}  // namespace tessarine
