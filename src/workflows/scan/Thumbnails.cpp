#include "workflows/scan/Thumbnails.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

#include "core/NoFollowFile.h"

namespace tessarine {
namespace {

// The preview box: 1800 x 1200 twips at 15 twips a pixel.
constexpr int kPreviewBoxWidth = 120;
constexpr int kPreviewBoxHeight = 80;

// A temporary thumbnail is left over once this old, whoever wrote it.
constexpr std::time_t kLeftoverSeconds = 60;

// The process that wrote a temporary thumbnail ("....tessarine-<pid>-<n>"), or 0 for another name.
pid_t WriterOf(const std::string& name) {
  const std::size_t at = name.rfind(".tessarine-");
  if (!name.starts_with('.') || at == std::string::npos) return 0;
  const std::string tail = name.substr(at + 11);
  const std::size_t dash = tail.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 9 || dash + 1 == tail.size()) return 0;
  if (tail.find_first_not_of("0123456789-") != std::string::npos || tail.find('-', dash + 1) != std::string::npos) {
    return 0;
  }
  return static_cast<pid_t>(std::stol(tail.substr(0, dash)));
}

}  // namespace

int RemoveLeftoverThumbnails(const std::filesystem::path& folder) {
  FileDescriptor thumbs = OpenFolder(folder / "_thumbs_", FolderLinks::Refuse);
  if (!thumbs) return 0;
  const int listed = ::dup(thumbs.Get());
  if (listed < 0) return 0;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listed), ::closedir);
  if (!dir) {
    ::close(listed);
    return 0;
  }
  int removed = 0;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    const pid_t writer = WriterOf(name);
    struct stat info {};
    if (writer <= 0 || ::fstatat(thumbs.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode)) continue;
    const bool writerGone = ::kill(writer, 0) != 0 && errno == ESRCH;
    if (writerGone || now - info.st_mtime > kLeftoverSeconds) {
      if (::unlinkat(thumbs.Get(), name.c_str(), 0) == 0) ++removed;
    }
  }
  return removed;
}

std::filesystem::path ThumbnailPath(const std::filesystem::path& folder, const std::string& fileNameBytes,
                                    std::string_view supportIptc) {
  std::string name = fileNameBytes;
  if (supportIptc != "1") {
    const std::size_t dot = name.rfind('.');
    name = (dot == std::string::npos ? std::string() : name.substr(0, dot)) + ".jpg";
  }
  return folder / "_thumbs_" / name;
}

PreviewSize StretchImageThumb(int width, int height) {
  if (width <= kPreviewBoxWidth && height <= kPreviewBoxHeight) return {width, height};
  if (height <= 0) return {kPreviewBoxWidth, kPreviewBoxHeight};
  const int scaled = static_cast<int>(static_cast<long long>(width) * kPreviewBoxHeight / height);
  return {std::min(scaled, kPreviewBoxWidth), kPreviewBoxHeight};
}

}  // namespace tessarine
