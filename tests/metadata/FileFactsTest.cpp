#include "metadata/FileFacts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace tessarine {
namespace {

// Runs a check under a given time zone and restores the previous one.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) : m_old(std::getenv("TZ") ? std::getenv("TZ") : "") {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    m_old.empty() ? ::unsetenv("TZ") : ::setenv("TZ", m_old.c_str(), 1);
    ::tzset();
  }

 private:
  std::string m_old;
};

TEST(FileTimeText, UsesTheOffsetInForceOnTheFilesOwnDate) {
  ScopedTimeZone paris("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(FileTimeText(1183280400).time, "11:00:00");  // 2007-07-01 09:00 UTC, summer time
  EXPECT_EQ(FileTimeText(1167642000).time, "10:00:00");  // 2007-01-01 09:00 UTC, winter time
}

TEST(FileFacts, TakesTheLastWriteTimeAndTheFullSizeOfAFileLargerThan4GiB) {
  test::TempDir dir;
  const auto path = dir / "big.tif";
  test::WriteFile(path, "");
  const std::uint64_t size = (std::uint64_t{5} << 30) + 7;
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);  // sparse: no disk used
  struct timespec times[2] = {{1167642000, 0}, {1167642000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  ScopedTimeZone utc("UTC0");
  auto facts = ReadFileFacts(path);
  ASSERT_TRUE(facts);
  ColumnValues columns;
  columns[col::LastRevisionDate] = "stale";
  FillFileColumns(*facts, columns);
  EXPECT_EQ(columns[col::FileSize], std::to_string(size));
  EXPECT_EQ(columns[col::FileLastWriteDate], "2007/01/01");
  EXPECT_EQ(columns[col::FileLastWriteTime], "09:00:00");
  EXPECT_FALSE(columns[col::FileCreationDate].empty());
  EXPECT_EQ(columns[col::LastRevisionDate], "");
  EXPECT_FALSE(ReadFileFacts(dir / "missing"));
}

}  // namespace
}  // namespace tessarine
