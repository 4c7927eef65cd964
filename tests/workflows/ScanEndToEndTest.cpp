// A folder tree written at test time, scanned into each real database and compared row by row
// with what the files hold.

// The image library's BOOL must be declared before the ODBC headers define theirs.
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "metadata/FileRowReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/XmpParser.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine {
namespace {

using namespace test;

const std::string kPacket = Packet(
    "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
    "<dc:title><rdf:Alt><rdf:li>Titre \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80</rdf:li></rdf:Alt></dc:title>"
    "<dc:subject><rdf:Bag><rdf:li>it's</rdf:li><rdf:li>back\\slash</rdf:li></rdf:Bag></dc:subject>"
    "</rdf:Description>");

class ScanEndToEnd : public CatalogueFixture {
 protected:
  // Every stored row, or those of one folder.
  std::map<std::string, std::vector<std::string>> Rows(const std::string& folderText = "") {
    if (folderText.empty()) return CatalogueFixture::Rows("select * from " + m_settings.images);
    const std::string select = "select * from " + m_settings.images + " where Folder=?";
    return CatalogueFixture::Rows(SqlStatement(select).Bind(folderText));
  }

  // A folder's count, or its last scan's time, in the folders table.
  std::string FolderField(const std::filesystem::path& folder, const char* field = "Files") {
    return Scalar(SqlStatement("select " + std::string(field) + " from " + m_settings.folders + " where Folder=?;")
                      .Bind(Text(folder)));
  }
};
TESSARINE_ON_EVERY_DATABASE(ScanEndToEnd);

TEST_P(ScanEndToEnd, StoresOneRowPerVisibleFileWithWhatTheFileHolds) {
  const auto sub = m_root / "sub";
  std::filesystem::create_directories(sub);
  ASSERT_TRUE(SaveJpegWithSegments(m_root / "O'Brien.jpg", 400, 300,
                                   App13(Resource(0x0404, Iim(5, "IIM") + Iim(118, "a\nb"))) + App1Xmp(kPacket)));
  ASSERT_TRUE(SaveImage(sub / "scan.tif", FIF_TIFF, 100, 50));
  WriteFile(m_root / "notes.txt", "just text");
  WriteFile(m_root / "fake.jpg", "not a jpeg");
  WriteFile(m_root / "back\\slash.txt", "name with a backslash");
  WriteFile(m_root / "caf\xE9.txt", "a name that is not UTF-8");
  m_settings.createThumbnails = true;
  ScanResult result = Scan(AddAndLoad(m_root));
  EXPECT_TRUE(result.status) << DescribeMessages();
  EXPECT_EQ(port.LastStatus().rfind(" Elapsed time: ", 0), 0u);

  const std::string root = Text(m_root);
  const auto rows = Rows();
  std::set<std::string> keys;
  for (const auto& [key, values] : rows) keys.insert(key);
  EXPECT_EQ(keys, (std::set<std::string>{root + "O'Brien.jpg", root + "notes.txt", root + "fake.jpg",
                                         root + "back\\slash.txt", root + "caf\xC3\xA9.txt", Text(sub) + "scan.tif"}));
  // Every column of these rows is what reading the file gives (the stamp apart).
  const XmpParser parser{CustomXmpDefinition{}};
  for (const auto& path : {m_root / "O'Brien.jpg", m_root / "notes.txt", m_root / "fake.jpg", sub / "scan.tif"}) {
    const FileRow file = ReadFileRow(path, MetadataReadContext{false, &parser, {}}, true);
    const auto& stored = rows.at(Text(path.parent_path()) + path.filename().string());
    ASSERT_EQ(stored.size(), kImageColumnCount);
    for (std::size_t c = 0; c < kImageColumnCount; ++c) {
      // A char(19) column comes back padded with spaces on some servers.
      std::string value = stored[c];
      if (ImageColumns()[c].kind == ColumnKind::Checked) value.erase(value.find_last_not_of(' ') + 1);
      if (c != col::ModifyTime) {
        EXPECT_EQ(value, file.columns[c]) << path << " " << ImageColumns()[c].name;
      }
    }
  }
  // Values are stored exactly, a 4-byte character included.
  const auto& stored = rows.at(root + "O'Brien.jpg");
  EXPECT_EQ(stored[col::ObjectName], "Titre \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(stored[col::Keywords], "it's; back\\slash");
  EXPECT_EQ(stored[col::ModifyTime].size(), 17u);
  // Thumbnails (their rules are the reader's) are made beside the images and shown as they are.
  EXPECT_TRUE(std::filesystem::exists(m_root / "_thumbs_" / "O'Brien.jpg"));
  EXPECT_TRUE(std::filesystem::exists(sub / "_thumbs_" / "scan.jpg"));
  EXPECT_FALSE(port.previews.empty());
  // The folders table holds the count and the time of the scan.
  EXPECT_EQ(FolderField(m_root), "6");
  EXPECT_EQ(FolderField(m_root, "LastScan").size(), 19u);
}

// A folder's scan neither deletes nor counts the rows of folders whose names are alike: one that
// differs only in letter case, one where "_" stands, one that ends with the same path.
TEST_P(ScanEndToEnd, ScanningAFolderLeavesFoldersWithSimilarNamesAlone) {
  const auto pics = m_root / "my_pics";
  const auto other = m_root / "My_pics";
  for (const auto& folder : {pics, other}) std::filesystem::create_directories(folder);
  WriteFile(pics / "a.txt", "a");
  WriteFile(other / "b.txt", "b");
  WriteFile(other / "c.txt", "c");
  const std::string kept[] = {Text(m_root / "myXpics"), "/backup" + Text(pics)};
  for (const std::string& folder : kept) Insert(folder, "keep.txt");
  connection.CloseConnection();
  AddAndLoad(pics);
  EXPECT_TRUE(Scan(AddAndLoad(other)).status) << DescribeMessages();
  const auto rows = Rows();
  for (const std::string& folder : kept) EXPECT_TRUE(rows.count(folder + "keep.txt")) << folder;
  EXPECT_EQ(rows.size(), 5u);
  EXPECT_EQ(FolderField(pics), "1");
  EXPECT_EQ(FolderField(other), "2");
}

// A scan stopped in the second of three folders finishes the file in progress only; a rescan
// stopped in a folder deletes none of its rows and keeps its entry's count and time.
TEST_P(ScanEndToEnd, AStoppedScanFinishesTheFileInProgressOnly) {
  std::vector<std::filesystem::path> folders;
  for (const char* name : {"one", "two", "three"}) {
    folders.push_back(m_root / name);
    std::filesystem::create_directories(folders.back());
    for (int i = 0; i < 3; ++i) WriteFile(folders.back() / ("f" + std::to_string(i) + ".txt"), "x");
    AddAndLoad(folders.back());
  }
  bool stop = false;
  ScanHooks hooks;
  hooks.stopRequested = [&] { return stop; };
  hooks.progress = [&](const ScanProgress& progress) { stop = stop || progress.folder == Text(folders[1]); };
  const ScanResult result = Scan({}, hooks);
  EXPECT_TRUE(result.stopped);
  // The file in progress was written, then nothing else; an unfinished entry keeps the count it had
  // (none here).
  const std::pair<std::size_t, const char*> expected[] = {{3, "3"}, {1, ""}, {0, ""}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Rows(Text(folders[i])).size(), expected[i].first) << i;
    EXPECT_EQ(FolderField(folders[i]), expected[i].second) << i;
  }
  ASSERT_EQ(result.entries.size(), 2u);
  EXPECT_EQ(result.entries[1].status, "Stopped");

  ::sleep(1);  // a new scan time would differ from the first one
  const std::string lastScan = FolderField(folders[0], "LastScan");
  std::filesystem::remove(folders[0] / "f2.txt");
  stop = false;
  hooks.progress = [&](const ScanProgress&) { stop = true; };
  const ScanResult rescan = Scan({}, hooks);
  EXPECT_TRUE(rescan.status && rescan.stopped);
  EXPECT_EQ(rescan.entries.at(0).status, "Stopped");
  EXPECT_EQ(Rows(Text(folders[0])).size(), 3u);
  EXPECT_EQ(FolderField(folders[0]), "3");
  EXPECT_EQ(FolderField(folders[0], "LastScan"), lastScan);
}

}  // namespace
}  // namespace tessarine
