// The pieces of the scan and of the catalogue view that need no database: the texts of a scan's
// time and progress, the thumbnails' names and sizes, the quick count, the view's columns and
// titles, the dates and words a search takes, and the CSV form of a field.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/ImageColumns.h"
#include "support/TempDir.h"
#include "workflows/browse/CsvExport.h"
#include "workflows/browse/FolderTree.h"
#include "workflows/browse/PhotoDetails.h"
#include "workflows/browse/SearchFilter.h"
#include "workflows/browse/ViewColumns.h"
#include "workflows/scan/FileCount.h"
#include "workflows/scan/ProgressText.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

// The elapsed time counts hours only from sixty minutes; the summary says what was read, written
// and left, and the rate.
TEST(ScanDriver, TheElapsedTimeAndTheSummarySayWhatWasDoneAndHowFast) {
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(187)), " Elapsed time: 0 h 3 min 7 s");
  EXPECT_EQ(ElapsedTimeText(std::chrono::seconds(3720)), " Elapsed time: 1 h 2 min 0 s");
  ScanResult done;
  done.filesRead = 1699;
  done.files = 1697;
  done.failedRows = 2;
  done.elapsed = std::chrono::seconds(65);
  EXPECT_EQ(ScanSummaryText(done), "1699 files read, 1697 rows written, 2 rows not written (see the log);"
                                   " Elapsed time: 0 h 1 min 5 s, 26 files/s");
  ScanResult stopped;
  stopped.stopped = true;
  stopped.filesRead = stopped.files = 1;
  EXPECT_EQ(ScanSummaryText(stopped), "Stopped: 1 file read, 1 row written; Elapsed time: 0 h 0 min 0 s");
}

// A JPEG's thumbnail is named as the JPEG, another image's by its base name; its size fits the box.
TEST(Thumbnails, AreNamedByTheirImageAndStretchFitsThePreviewBox) {
  EXPECT_EQ(ThumbnailPath("/p", "IMG_1.JPG", "1"), std::filesystem::path("/p/_thumbs_/IMG_1.JPG"));
  EXPECT_EQ(ThumbnailPath("/p", "a.b.psd", "2"), std::filesystem::path("/p/_thumbs_/a.b.jpg"));
  // 160x106 is wider than 3:2 after scaling: squeezed to the box width.
  const std::tuple<int, int, const char*> fits[] = {
      {160, 106, "120x80"}, {120, 160, "60x80"}, {100, 60, "100x60"}, {120, 80, "120x80"}};
  for (const auto& [w, h, fit] : fits) {
    const PreviewSize s = StretchImageThumb(w, h);
    EXPECT_EQ(std::to_string(s.width) + "x" + std::to_string(s.height), fit) << w << "x" << h;
  }
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

std::vector<std::string> Titles(const std::vector<ViewColumn>& columns) {
  std::vector<std::string> titles;
  for (const ViewColumn& column : columns) titles.push_back(column.title + "=" + std::string(column.name));
  return titles;
}

TEST(ViewColumns, FixedColumnsThenTheBoundCustomColumnsTitledByTheirProperties) {
  CustomXmpDefinition custom;
  custom.schemas[1].prefix = "cl";
  custom.schemas[1].properties[4] = {"ClientName", "07"};
  custom.schemas[1].properties[5] = {"Shoot", "100"};
  custom.schemas[1].properties[6] = {"", "09"};        // no property: not bound
  custom.schemas[1].properties[7] = {"Broken", "x1"};  // no column number
  custom.schemas[1].properties[8] = {"Zero", "0"};
  custom.schemas[0].properties[0] = {"NoPrefix", "03"};  // its schema has no prefix
  custom.schemas[3].prefix = "ab";
  custom.schemas[3].properties[0] = {"Agency", "2"};
  custom.schemas[3].properties[1] = {"Again", "7"};  // a column already bound keeps its first title

  // The fixed columns, then the bound ones.
  std::vector<std::string> all = Titles(ViewColumnsOf({}));
  for (const char* bound : {"Agency=XMPCustom02", "ClientName=XMPCustom07", "Shoot=XMPCustom100"}) all.push_back(bound);
  const std::vector<ViewColumn> columns = ViewColumnsOf(custom);
  EXPECT_EQ(Titles(columns), all);
  for (const ViewColumn& column : columns) EXPECT_EQ(ImageColumns()[column.column].name, column.name);

  EXPECT_EQ(SearchedColumnsOf(custom),
            (std::vector<std::size_t>{col::Keywords, col::ObjectName, col::Caption, col::Byline, col::City,
                                      col::Country, CustomColumnIndex(2), CustomColumnIndex(7),
                                      CustomColumnIndex(100)}));

  EXPECT_EQ(FindViewColumn(columns, "title"), 2u);
  EXPECT_EQ(FindViewColumn(columns, "OBJECTNAME"), 2u);
  EXPECT_EQ(FindViewColumn(columns, "clientname"), 14u);
  EXPECT_EQ(FindViewColumn(columns, "XMPCustom07"), 14u);
  EXPECT_EQ(FindViewColumn(columns, "Urgency"), std::nullopt);
  // A column is titled as the view shows it, else by the words of its name.
  EXPECT_EQ(ColumnTitle(col::ObjectName, {}), "Title");
  EXPECT_EQ(ColumnTitle(col::SpecialInstructions, {}), "Special Instructions");
}

TEST(FolderTree, ListedFoldersHoldTheFoldersWithRowsAndThoseOnTheWay) {
  const std::vector<std::string> listed{"/p/", "/p/2024/", "/q/"};
  const std::vector<std::string> holding{"/p/a/b/", "/p/2024/x/", "/p/a b/", "/p/", "/z/", "/p/a/"};
  std::string tree;
  for (const FolderTreeItem& item : FolderTreeOf(listed, holding)) {
    tree += std::to_string(item.depth) + item.shown + (item.shown == item.folder ? "" : "=" + item.folder) + " ";
  }
  EXPECT_EQ(tree, "0/p/ 1a b/=/p/a b/ 1a/=/p/a/ 2b/=/p/a/b/ 0/p/2024/ 1x/=/p/2024/x/ 0/q/ 0/z/ ");
}

TEST(ViewColumns, AFolderIsShownFromTheDeepestListedFolderThatHoldsIt) {
  const std::vector<std::string> listed{"/srv/photos/", "/srv/photos/2024/", "/mnt/a/"};
  const std::pair<const char*, const char*> folders[] = {{"/srv/photos/2023/x/", "photos/2023/x/"},
                                                         {"/srv/photos/2024/shoot/", "2024/shoot/"},
                                                         {"/srv/photos/", "photos/"},
                                                         {"/srv/photosets/", "/srv/photosets/"},
                                                         {"/mnt/a/b/", "a/b/"}};
  for (const auto& [stored, shown] : folders) EXPECT_EQ(ShownFolder(listed, stored), shown) << stored;
}

TEST(ViewColumns, ADateIsShownAsIso8601WhetherStoredAsIimOrXmpWritesIt) {
  const std::pair<const char*, const char*> days[] = {{"20010920", "2001-09-20"}, {"2023-07-05", "2023-07-05"},
                                                      {"2001092", "2001092"},     {"2001092a", "2001092a"},
                                                      {"", ""},                   {"200109201", "200109201"}};
  for (const auto& [stored, shown] : days) EXPECT_EQ(ShownDay(stored), shown) << stored;
}

TEST(SearchFilter, DaysAreRealCalendarDaysWrittenYyyyMmDdAndWordsAreSplitOnBlanks) {
  EXPECT_EQ(SearchDay::Parse("2024-02-29").value().Digits(), "20240229");
  EXPECT_EQ(SearchDay::Parse("2000-02-29").value().Digits(), "20000229");
  EXPECT_EQ(SearchDay::Parse("1999-12-31").value().Digits(), "19991231");
  for (const char* wrong : {"2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00",
                            "0000-01-01", "2024-1-01", "2024/01/01", "20240101", "2024-01-011", "2024-01-0x",
                            "+024-01-01", ""}) {
    EXPECT_FALSE(SearchDay::Parse(wrong)) << wrong;
  }
  EXPECT_LT(*SearchDay::Parse("2024-01-31"), *SearchDay::Parse("2024-02-01"));
  // Words are split on blanks.
  EXPECT_EQ(SplitWords("  dog\tcat\r\nit's  100%  "), (std::vector<std::string>{"dog", "cat", "it's", "100%"}));
  EXPECT_TRUE(SplitWords(" \t\n").empty());
  EXPECT_EQ(SplitWords("Zürich"), (std::vector<std::string>{"Zürich"}));
}

// A field is quoted, its quotes doubled, only when it holds a comma, a quote or a line break; in a
// guarded record a value a spreadsheet would run as a formula gets an apostrophe first.
TEST(CsvExport, FieldsAreQuotedOnlyWhenNeededAndAGuardedRecordNeutralisesEveryFormulaStart) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"plain text; Zürich", "plain text; Zürich", "plain text; Zürich"},
      {"a,b", "\"a,b\"", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
      {"cr\r", "\"cr\r\"", "\"cr\r\""},
      {"lf\n", "\"lf\n\"", "\"lf\n\""},
      {"=SUM(A1)", "=SUM(A1)", "'=SUM(A1)"}, {"+1", "+1", "'+1"}, {"-1", "-1", "'-1"}, {"@cmd", "@cmd", "'@cmd"},
      {"\tx", "\tx", "'\tx"}, {"\rx", "\"\rx\"", "\"'\rx\""}, {"a=b", "a=b", "a=b"}, {"", "", ""},
  };
  for (const auto& [value, plain, guarded] : cases) {
    for (const bool guard : {false, true}) {
      std::ostringstream record;
      WriteCsvRecord(record, {value}, guard);
      EXPECT_EQ(record.str(), std::string(guard ? guarded : plain) + "\r\n") << value << (guard ? " guarded" : "");
    }
  }
  std::ostringstream out;
  WriteCsvRecord(out, {"a", std::nullopt, "", "b,c"});
  EXPECT_EQ(out.str(), "a,,,\"b,c\"\r\n");
}

}  // namespace
}  // namespace tessarine
