// Image files are opened without ever waiting: anything but a regular file is refused, whether
// read or written. A FIFO opened the ordinary way would wait for its other end forever; the test
// harness's time-out catches such a regression.

#include "metadata/RegularFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
  char bytes[6] = {};
  EXPECT_EQ(::pread(file.Descriptor(), bytes, sizeof bytes, 0), 6);
  EXPECT_EQ(std::string(bytes, 6), "abcdef");
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

TEST(RegularFile, WritingCreatesOrEmptiesARegularFileAndRefusesAFifoWithOrWithoutAReader) {
  TempDir dir;
  test::WriteFile(dir / "old.jpg", "old bytes");
  {
    RegularFile file(dir / "old.jpg", RegularFile::Mode::Write);
    ASSERT_TRUE(file.IsOpen()) << file.Problem();
    FileStream stream = file.ToStream();
    ASSERT_TRUE(stream);
    std::fputs("new", stream.get());
  }
  EXPECT_EQ(test::ReadFile(dir / "old.jpg"), "new");
  EXPECT_TRUE(RegularFile(dir / "made.jpg", RegularFile::Mode::Write).IsOpen());
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "made.jpg"));

  const auto fifo = dir / "thumb.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No reader: the system refuses a non-blocking writer at once.
  EXPECT_EQ(RegularFile(fifo, RegularFile::Mode::Write).Problem(), "cannot be opened: No such device or address");
  // A reader at the other end: the open succeeds, the check refuses it.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(RegularFile(fifo, RegularFile::Mode::Write).Problem(), "not a regular file (a FIFO)");
  ::close(reader);
}

}  // namespace
}  // namespace tessarine
