// Image files are opened without ever waiting: anything but a regular file is refused. A FIFO
// opened the ordinary way would wait for its other end forever; the test harness's time-out
// catches such a regression.

#include "metadata/RegularFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <tuple>

#include "metadata/ByteSource.h"
#include "support/TempDir.h"

namespace tessarine {
namespace {

using test::TempDir;

TEST(RegularFile, OpensARegularFileForReadingWithItsSize) {
  TempDir dir;
  test::WriteFile(dir / "a.jpg", "abcdef");
  RegularFile file(dir / "a.jpg");
  ASSERT_TRUE(file.IsOpen()) << file.Problem();
  EXPECT_EQ(file.Size(), 6u);
  EXPECT_EQ(file.Problem(), "");
  EXPECT_EQ(file.Error(), 0);
  // Read as a byte source, a read past the end gives what there is, as of a file that shrank.
  std::uint8_t bytes[8] = {};
  EXPECT_EQ(FileByteSource(file.Descriptor()).ReadAt(2, bytes, sizeof bytes), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "cdef");
  // The descriptor reads like any file's: blocking, and closed on exec.
  EXPECT_EQ(::fcntl(file.Descriptor(), F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(::fcntl(file.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
}

TEST(RegularFile, RefusesAFifoAFolderAndADeviceWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "photo.jpg").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.jpg");
  const std::tuple<std::filesystem::path, const char*, int> cases[] = {
      {dir / "photo.jpg", "not a regular file (a FIFO)", ENXIO},
      {dir / "folder.jpg", "not a regular file (a folder)", EISDIR},
      {"/dev/null", "not a regular file (a character device)", ENXIO},
      {dir / "missing.jpg", "cannot be opened: No such file or directory", ENOENT}};
  for (const auto& [path, problem, error] : cases) {
    RegularFile file(path);
    EXPECT_FALSE(file.IsOpen()) << path;
    EXPECT_FALSE(file.ToStream()) << path;
    EXPECT_EQ(file.Problem(), problem);
    EXPECT_EQ(file.Error(), error) << path;
  }
}

}  // namespace
}  // namespace tessarine
