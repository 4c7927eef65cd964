#pragma once
// Files the program creates or replaces, written so that a symbolic link planted where it writes is
// never followed: the folder is opened once (its last name never followed when the folder is the
// program's own, like "_thumbs_"), and every file is then opened, created or renamed relative to
// that folder with O_NOFOLLOW. A temporary name is always a new file (O_EXCL).
//
// Each call answers with the system's errno on failure: ELOOP for a link at the name, ENOTDIR for
// something that is not a folder, ENXIO for something that is not a regular file (a FIFO).

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tessarine {

// An open descriptor, closed with its owner; or the errno of the call that failed to open it.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  static FileDescriptor Failed(int error) {
    FileDescriptor failed;
    failed.m_error = error;
    return failed;
  }
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  explicit operator bool() const { return m_fd >= 0; }
  int Get() const { return m_fd; }
  int Error() const { return m_error; }
  // Hands the descriptor over (to a stdio stream); the owner then holds none.
  int Release();

 private:
  int m_fd = -1;
  int m_error = 0;
};

enum class FolderLinks {
  Follow,  // the user's own folder, reached as the user named it
  Refuse,  // the program's own folder: a link (or anything but a folder) at its name is refused
};

// Opens a folder to write into; with create, it is made first when missing (rwx for all, less the
// umask). With FolderLinks::Refuse, a link at its last name fails with ELOOP, a file with ENOTDIR.
FileDescriptor OpenFolder(const std::filesystem::path& folder, FolderLinks links, bool create = false);

// rw-r--r--, but never more than the folder grants (a file in a 0700 folder is 0600); the umask
// still applies when the file is created. For files that hold image content or the catalogue.
mode_t ContentModeIn(int folderFd);

// Creates a new file: a name already there, a link included, fails with EEXIST.
FileDescriptor CreateNewFile(int folderFd, const std::string& name, mode_t mode);

// Opens a regular file to be written over, created when missing and emptied; a link at the name
// fails with ELOOP, anything but a regular file (a FIFO, which would hold the open) with ENXIO.
FileDescriptor OpenToOverwrite(int folderFd, const std::string& name, mode_t mode);

// Writes every byte (write's short counts and EINTR taken care of).
bool WriteAll(int fd, std::string_view bytes);

enum class ModeRule {
  LessUmask,  // a new file of the program's: the mode less the user's umask
  Exact,      // an existing file's own mode, kept as it was
};

// Replaces the file `name` of the folder as a whole: a new temporary name beside it is given the
// mode and filled by `fill`, then renamed over the name (a link there is replaced, never followed).
// Whatever fails, the name keeps its old file and no temporary stays behind. Returns 0 or the errno.
int ReplaceFile(int folderFd, const std::string& name, mode_t mode, ModeRule rule,
                const std::function<bool(int fd)>& fill);

}  // namespace tessarine
