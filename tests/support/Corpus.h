#pragma once
// The shared sample files: ../shared/corpus beside the sources, or the folder TESSARINE_CORPUS
// names. The tests that read them skip without them.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tessarine::test {

inline std::filesystem::path CorpusFolder() {
  if (const char* chosen = std::getenv("TESSARINE_CORPUS")) return chosen;
  const char* source = std::getenv("TESSARINE_SOURCE_DIR");
  return source == nullptr ? std::filesystem::path() : std::filesystem::path(source) / ".." / "shared" / "corpus";
}

// Every regular file under the folder, of 64 MiB at most, in name order; none without the folder.
inline std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(CorpusFolder(), ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file() && it->file_size() <= 64 * 1024 * 1024) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace tessarine::test
