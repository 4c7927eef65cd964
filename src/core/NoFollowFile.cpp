#include "core/NoFollowFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <utility>

namespace tessarine {

FileDescriptor::~FileDescriptor() {
  if (m_fd >= 0) ::close(m_fd);
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_error(other.m_error) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = std::exchange(other.m_fd, -1);
    m_error = other.m_error;
  }
  return *this;
}

int FileDescriptor::Release() { return std::exchange(m_fd, -1); }

namespace {

FileDescriptor Opened(int fd) { return fd >= 0 ? FileDescriptor(fd) : FileDescriptor::Failed(errno); }

// A temporary name of its own beside `name`, hidden; short when the long form would not fit.
std::string TemporaryName(const std::string& name) {
  static std::atomic<unsigned long> made{0};
  const std::string tag = ".tessarine-" + std::to_string(::getpid()) + "-" + std::to_string(++made);
  const std::string beside = "." + name + tag;
  return beside.size() <= NAME_MAX ? beside : tag;
}

}  // namespace

FileDescriptor OpenFolder(const std::filesystem::path& folder, FolderLinks links, bool create) {
  // mkdir never follows a link at its last name: one there fails with EEXIST and the open refuses it.
  if (create && ::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return FileDescriptor::Failed(errno);
  const bool refuse = links == FolderLinks::Refuse;
  FileDescriptor opened = Opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (refuse ? O_NOFOLLOW : 0)));
  // With O_DIRECTORY the system answers ENOTDIR for a link too: a link is told as one.
  struct stat there {};
  if (refuse && opened.Error() == ENOTDIR && ::lstat(folder.c_str(), &there) == 0 && S_ISLNK(there.st_mode)) {
    return FileDescriptor::Failed(ELOOP);
  }
  return opened;
}

mode_t ContentModeIn(int folderFd) {
  constexpr mode_t kContent = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  struct stat folder {};
  if (::fstat(folderFd, &folder) != 0) return S_IRUSR | S_IWUSR;
  return kContent & folder.st_mode;
}

FileDescriptor CreateNewFile(int folderFd, const std::string& name, mode_t mode) {
  return Opened(::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
}

FileDescriptor OpenToOverwrite(int folderFd, const std::string& name, mode_t mode) {
  FileDescriptor file = Opened(::openat(folderFd, name.c_str(),
                                        O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode));
  if (!file) return file;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return FileDescriptor::Failed(errno);
  if (!S_ISREG(info.st_mode)) return FileDescriptor::Failed(ENXIO);
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags >= 0) ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK);
  if (::ftruncate(file.Get(), 0) != 0) return FileDescriptor::Failed(errno);
  return file;
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int ReplaceFile(int folderFd, const std::string& name, mode_t mode, ModeRule rule,
                const std::function<bool(int fd)>& fill) {
  const std::string temporary = TemporaryName(name);
  // An exact mode is set once the file is written: until then it has no more than the owner's rights.
  const bool exact = rule == ModeRule::Exact;
  FileDescriptor file = CreateNewFile(folderFd, temporary, exact ? mode_t{S_IRUSR | S_IWUSR} : mode);
  if (!file) return file.Error();
  int error = 0;
  errno = 0;
  if (!fill(file.Get())) error = errno != 0 ? errno : EIO;
  if (error == 0 && exact && ::fchmod(file.Get(), mode) != 0) error = errno;
  if (error == 0 && ::fsync(file.Get()) != 0) error = errno;
  if (::close(file.Release()) != 0 && error == 0) error = errno;
  if (error == 0 && ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) error = errno;
  if (error != 0) ::unlinkat(folderFd, temporary.c_str(), 0);
  return error;
}

}  // namespace tessarine
