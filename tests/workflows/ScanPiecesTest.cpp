#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"
#include "workflows/scan/FileCount.h"
#include "workflows/scan/ProgressText.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

TEST(ScanDriver, ElapsedTimeCountsHoursOnlyFromSixtyMinutes) {
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(187)), " Elapsed time: 0 h 3 min 7 s");
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(3720)), " Elapsed time: 1 h 2 min 0 s");
}

TEST(Thumbnails, NameJpegsAsTheyAreAndOtherImagesByTheirBaseName) {
  EXPECT_EQ(ThumbnailPath("/p", "IMG_1.JPG", "1"), std::filesystem::path("/p/_thumbs_/IMG_1.JPG"));
  EXPECT_EQ(ThumbnailPath("/p", "a.b.psd", "2"), std::filesystem::path("/p/_thumbs_/a.b.jpg"));
}

TEST(Thumbnails, StretchFitsThePreviewBox) {
  auto fit = [](int w, int h) {
    const PreviewSize s = StretchImageThumb(w, h);
    return std::to_string(s.width) + "x" + std::to_string(s.height);
  };
  EXPECT_EQ(fit(160, 106), "120x80");  // wider than 3:2 after scaling: squeezed to the box width
  EXPECT_EQ(fit(120, 160), "60x80");
  EXPECT_EQ(fit(100, 60), "100x60");
  EXPECT_EQ(fit(120, 80), "120x80");
}

TEST(ScanProgress, TellsTheRateAndTheTimeLeftOnceTheTotalIsKnown) {
  using std::chrono::duration;
  auto text = [](long long done, long long total, double seconds) {
    ScanProgress progress;
    progress.filesDone = done;
    progress.filesTotal = total;
    return ProgressText(progress, duration<double>(seconds));
  };
  EXPECT_EQ(text(240, 2000, 1.0), "240 of 2000 files, 240.0 files/s, about 8 s left");
  EXPECT_EQ(text(1, 2000, 0.17), "1 of 2000 files");  // the first second: no rate yet
  EXPECT_EQ(text(100, 100000, 10), "100 of 100000 files, 10.0 files/s, about 2 h 46 min left");
  EXPECT_EQ(text(30, 200, 12), "30 of 200 files, 2.5 files/s, about 1 min 8 s left");
  EXPECT_EQ(text(5, 0, 2), "5 files, 2.5 files/s");         // not counted
  EXPECT_EQ(text(12, 10, 2), "12 files, 6.0 files/s");      // the tree grew since the count
  EXPECT_EQ(text(0, 10, 5), "0 of 10 files");               // nothing done yet: no rate
}

// The quick count finds the files of the walk the scan and the check take: visible files in every
// subfolder, not hidden ones, not those of "_thumbs_" folders (the name's case counts) or hidden
// folders; a link to a file is a file, a link to a folder is not followed, a FIFO is no file.
TEST(ScanProgress, TheQuickCountFindsTheFilesTheWalkVisits) {
  test::TempDir dir;
  for (const char* file : {"a.jpg", "b.txt", ".hidden", "sub/c.jpg", "sub/deeper/d.tif", "_thumbs_/a.jpg",
                           "_thumbs_old/a.jpg", "_Thumbs_/a.jpg", ".git/e.jpg", "other/f.jpg"}) {
    std::filesystem::create_directories((dir / file).parent_path());
    test::WriteFile(dir / file, "x");
  }
  std::filesystem::create_symlink(dir / "a.jpg", dir / "sub" / "link.jpg");
  std::filesystem::create_directory_symlink("..", dir / "sub" / "loop");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  const FolderKey top = FolderKey::FromPath(dir.path().string());
  EXPECT_EQ(CountFilesToScan({top}, {}, {}), 7);
  EXPECT_EQ(CountFilesToScan({top, FolderKey::FromPath((dir / "sub").string())}, {}, {}), 10);
  EXPECT_EQ(CountFilesToScan({top}, [] { return true; }, {}), 0);
}

// With modern formats on, the sidecar of an image is read with it and is no file of its own; an
// .xmp file beside no image still is one.
TEST(ScanProgress, SidecarsOfImagesAreNotCountedWhenTheyBelongToTheirImages) {
  test::TempDir dir;
  for (const char* file : {"a.jpg", "a.xmp", "b.nef", "b.nef.XMP", "lonely.xmp", "c"}) test::WriteFile(dir / file, "x");
  test::WriteFile(dir / "c.xmp", "x");
  const FolderKey top = FolderKey::FromPath(dir.path().string());
  EXPECT_EQ(CountFilesToScan({top}, {}, WalkRules{false}), 7);
  EXPECT_EQ(CountFilesToScan({top}, {}, WalkRules{true}), 4);
}

}  // namespace
}  // namespace tessarine
