#include "metadata/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessarine {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "not a file";
}

}  // namespace

RegularFile::RegularFile(const std::filesystem::path& path, Mode mode) : m_mode(mode) {
  const int access = mode == Mode::Read ? O_RDONLY : O_WRONLY | O_CREAT;
  const int fd = ::open(path.c_str(), access | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    m_error = errno;
    m_problem = std::string("cannot be opened: ") + std::strerror(m_error);
    return;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    m_error = errno;
    m_problem = std::string("cannot be examined: ") + std::strerror(m_error);
    ::close(fd);
    return;
  }
  if (!S_ISREG(info.st_mode)) {
    m_error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
    m_problem = "not a regular file (" + KindOf(info.st_mode) + ")";
    ::close(fd);
    return;
  }
  // A regular file reads the same either way; cleared so that no file system answers EAGAIN.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (mode == Mode::Write && ::ftruncate(fd, 0) != 0) {
    m_error = errno;
    m_problem = std::string("cannot be emptied: ") + std::strerror(m_error);
    ::close(fd);
    return;
  }
  m_fd = fd;
  m_size = mode == Mode::Read ? static_cast<std::uint64_t>(info.st_size) : 0;
}

RegularFile::~RegularFile() {
  if (m_fd >= 0) ::close(m_fd);
}

FileStream RegularFile::ToStream() {
  if (m_fd < 0) return nullptr;
  FileStream stream(::fdopen(m_fd, m_mode == Mode::Read ? "rb" : "wb"));
  if (stream) m_fd = -1;
  return stream;
}

}  // namespace tessarine
