#pragma once
// An image file opened by the program itself, never by a library handed its path, and never
// blocking: it is opened with O_NONBLOCK and kept only when it is a regular file. A FIFO put where
// the folder listing saw a file would otherwise hold the open until another process came to its
// other end; a device could do worse.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace tessarine {

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using FileStream = std::unique_ptr<std::FILE, StreamCloser>;

class RegularFile {
 public:
  enum class Mode {
    Read,
    Write,  // created when missing and emptied once it is known to be a regular file
  };

  // Opens the path (O_NONBLOCK, O_CLOEXEC, O_NOCTTY) and keeps it only when it is a regular file.
  explicit RegularFile(const std::filesystem::path& path, Mode mode = Mode::Read);
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }
  std::uint64_t Size() const { return m_size; }
  // Why the file is not open: "not a regular file (a FIFO)", or the system's reason.
  const std::string& Problem() const { return m_problem; }
  // The same as an errno, 0 when the file is open. Not a regular file: EISDIR for a folder, else
  // ENXIO, the system's own answer to opening a socket or a FIFO's end that has no partner.
  int Error() const { return m_error; }

  // A stdio stream over the descriptor, which the stream then owns; empty when the file is not open.
  FileStream ToStream();

 private:
  int m_fd = -1;
  Mode m_mode;
  std::uint64_t m_size = 0;
  int m_error = 0;
  std::string m_problem;
};

}  // namespace tessarine
