// Image files are opened without ever waiting: anything but a regular file is refused. A FIFO
// opened the ordinary way would wait for its other end forever; the test harness's time-out
// catches such a regression.

#include "metadata/RegularFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
  RegularFile fifo(dir / "photo.jpg");
  EXPECT_FALSE(fifo.IsOpen());
  EXPECT_EQ(fifo.Problem(), "not a regular file (a FIFO)");
  EXPECT_EQ(fifo.Error(), ENXIO);
  EXPECT_FALSE(fifo.ToStream());

  std::filesystem::create_directory(dir / "folder.jpg");
  const RegularFile folder(dir / "folder.jpg");
  EXPECT_EQ(folder.Problem(), "not a regular file (a folder)");
  EXPECT_EQ(folder.Error(), EISDIR);
  const RegularFile device("/dev/null");
  EXPECT_EQ(device.Problem(), "not a regular file (a character device)");
  EXPECT_EQ(device.Error(), ENXIO);
  const RegularFile missing(dir / "missing.jpg");
  EXPECT_EQ(missing.Problem(), "cannot be opened: No such file or directory");
  EXPECT_EQ(missing.Error(), ENOENT);
}

}  // namespace
}  // namespace tessarine
