// A folder tree written at test time, scanned into each real database and compared row by row
// with what the files hold; names holding "\"; a rescan that reads only new and changed files.

// The image library's BOOL must be declared before the ODBC headers define theirs.
#include "support/TestImages.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <random>

#include "metadata/FileRowReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/XmpParser.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/scan/FolderCataloguer.h"

namespace tessarine::test {
namespace {

using StoredRows = std::map<std::string, std::vector<std::string>>;
using Captions = std::map<std::pair<std::string, std::string>, std::string>;

// "g\h.txt" cannot be opened.
int UnreadableG(std::string_view call, std::string_view path) {
  return call == "open" && path.ends_with("g\\h.txt") ? EACCES : 0;
}

const std::string kPacket = Packet(
    "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
    "<dc:title><rdf:Alt><rdf:li>Titre \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80</rdf:li></rdf:Alt></dc:title>"
    "<dc:subject><rdf:Bag><rdf:li>it's</rdf:li><rdf:li>back\\slash</rdf:li></rdf:Bag></dc:subject>"
    "</rdf:Description>");

class ScanEndToEnd : public CatalogueFixture {
 protected:
  // Every stored row.
  StoredRows Rows() { return CatalogueFixture::Rows("select * from " + m_settings.images); }

  // Every row's keys, with its Caption.
  Captions CaptionsOfRows() {
    Captions stored;
    for (const auto& [key, values] : Rows()) stored[{values[col::Folder], values[col::FileName]}] = values[col::Caption];
    return stored;
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
  for (const char* name : {"notes.txt", "fake.jpg", "back\\slash.txt", "caf\xE9.txt"}) WriteFile(m_root / name, name);
  // Pictures whose pixels the image library cannot decode: said once for the scan.
  for (const auto& heif : {m_root / "a.heic", sub / "b.heic"}) {
    WriteFile(heif, std::string("\0\0\0\x10" "ftypmif1\0\0\0\0", 16));
  }
  m_settings.createThumbnails = true;
  ScanResult result = Scan(AddAndLoad(m_root));
  EXPECT_TRUE(result.status) << DescribeMessages();
  EXPECT_EQ(port.LastStatus().rfind(" Elapsed time: ", 0), 0u);

  const std::string root = Text(m_root);
  const auto rows = Rows();
  std::set<std::string> keys;
  for (const auto& [key, values] : rows) keys.insert(key);
  EXPECT_EQ(keys, (std::set<std::string>{root + "O'Brien.jpg", root + "notes.txt", root + "fake.jpg",
                                         root + "back\\slash.txt", root + "caf\xC3\xA9.txt", Text(sub) + "scan.tif",
                                         root + "a.heic", Text(sub) + "b.heic"}));
  const std::string heifSaid = "   HEIF pictures get no thumbnail: the image library installed cannot decode them";
  EXPECT_EQ(std::ranges::count(m_problems, heifSaid), 1);
  // A catalogue without the facts and keywords tables is told how to add them, once a scan.
  EXPECT_EQ(std::ranges::count(port.logLines, kNoCompanionsHint), 1);
  // Every column of these rows is what reading the file gives (the stamp apart), a title with a
  // 4-byte character and keywords with a quote and a backslash among them.
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
  EXPECT_EQ(rows.at(root + "O'Brien.jpg")[col::ModifyTime].size(), 17u);
  // Thumbnails (their rules are the reader's) are made beside the images and shown as they are.
  EXPECT_TRUE(std::filesystem::exists(m_root / "_thumbs_" / "O'Brien.jpg"));
  EXPECT_TRUE(std::filesystem::exists(sub / "_thumbs_" / "scan.jpg"));
  EXPECT_FALSE(port.previews.empty());
  // The folders table holds the count and the time of the scan.
  EXPECT_EQ(FolderField(m_root), "8");
  EXPECT_EQ(FolderField(m_root, "LastScan").size(), 19u);
}

// The companion rows hold what reading each file gives: a facts row for a file that has facts, NULL
// for each fact it lacks, and a keywords row for each keyword in the file's order, the longest cut
// to fit; a file without either has none. Files made by exiftool.
TEST_P(ScanEndToEnd, TheCompanionRowsHoldWhatReadingTheFileGives) {
  if (std::system("command -v exiftool >/dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool missing";
  MakeCompanionTables(m_settings.images);
  std::string longKeyword;
  for (int i = 0; i < 150; ++i) longKeyword += "\xC3\xB8";  // 300 bytes
  ASSERT_TRUE(SaveImage(m_root / "O'Brien.jpg", FIF_JPEG, 64, 48));
  const std::string tags =
      "-DateTimeOriginal='2024:05:01 10:20:30' -Make=Bench -LensModel='Bench 24-70' -FocalLength=35 -FNumber=2.8 "
      "-ExposureTime=1/250 -ISO=400 -GPSLatitude=59.9139 -GPSLatitudeRef=N -GPSLongitude=10.7522 "
      "-GPSLongitudeRef=W -IPTC:Keywords=harbour -XMP-dc:Subject=Troms\xC3\xB8 '-XMP-dc:Subject=" + longKeyword +
      "' '-XMP-lr:HierarchicalSubject=Places|Norway|Troms\xC3\xB8' '-XMP-iptcExt:PersonInImage=Ann O'\\''Lee' "
      "-XMP-iptcExt:DigitalSourceType=http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia";
  ASSERT_EQ(std::system(("exiftool -q -overwrite_original -codedcharacterset=utf8 " + tags + " \"" +
                         (m_root / "O'Brien.jpg").string() + "\" >/dev/null 2>&1").c_str()),
            0);
  WriteFile(m_root / "notes.txt", "no facts");
  // A fact the photo lacks, in the same statement as the photo's own.
  WriteFile(m_root / "event.jpg", Jpeg(App1Xmp(Packet("<rdf:Description rdf:about=\"\" xmlns:Iptc4xmpExt=\""
                                                      "http://iptc.org/std/Iptc4xmpExt/2008-02-29/\"><Iptc4xmpExt:"
                                                      "Event><rdf:Alt><rdf:li>Fair</rdf:li></rdf:Alt></Iptc4xmpExt:"
                                                      "Event></rdf:Description>"))));
  ASSERT_TRUE(Scan(AddAndLoad(m_root)).status) << DescribeMessages();

  std::multiset<std::string> expected;
  const XmpParser parser(CustomXmpDefinition{}, XmpParser::Rules::Modern);
  const MetadataReadContext context{.parser = &parser, .modernFormats = true};
  for (const auto& path : {m_root / "O'Brien.jpg", m_root / "notes.txt", m_root / "event.jpg"}) {
    const CompanionRow read = ReadFileRow(path, context, true).companions;
    const std::string folder = Text(m_root);
    const std::string file = path.filename().string();
    if (read.HasFacts()) {
      std::vector<std::string> fields{folder, file};
      for (const std::string& value : read.facts) fields.push_back(value.empty() ? "(null)" : value);
      expected.insert(CompanionText(fields));
    }
    for (std::size_t k = 0; k < read.keywords.size(); ++k) {
      const KeywordEntry& entry = read.keywords[k];
      expected.insert(CompanionText({folder, file, std::to_string(k), entry.keyword, entry.leaf, std::to_string(entry.depth)}));
    }
  }
  EXPECT_EQ(expected.size(), 8u);  // the facts and six keywords of the photo, the event's facts
  EXPECT_EQ(CompanionRows(m_settings.images), expected);
}

// A folder's scan neither deletes nor counts the rows of folders whose names are alike: one that
// differs only in letter case, one where "_" stands, one that ends with the same path. A custom
// field stored with no valid column would be skipped without a word: the scan says so.
TEST_P(ScanEndToEnd, ScanningAFolderLeavesFoldersWithSimilarNamesAlone) {
  const auto pics = m_root / "my_pics";
  const auto other = m_root / "My_pics";
  for (const auto& folder : {pics, other}) std::filesystem::create_directories(folder);
  for (const auto& file : {pics / "a.txt", other / "b.txt", other / "c.txt"}) WriteFile(file, "x");
  const std::string kept[] = {Text(m_root / "myXpics"), "/backup" + Text(pics)};
  for (const std::string& folder : kept) Insert(folder, "keep.txt");
  AddAndLoad(pics);
  m_settings.custom.schemas[0] = {"Studio", "http://ns.example.com/s/", "s", {{"ClientName", "e"}}};
  EXPECT_TRUE(Scan(AddAndLoad(other)).status) << DescribeMessages();
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_NE(port.messages[0].text.find("'ClientName' (schema #1, field #1)"), std::string::npos) << DescribeMessages();
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
  // Named in the order a folders table keyed by its folder gives them back.
  for (const char* name : {"first", "second", "third"}) {
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
  const std::pair<long long, const char*> expected[] = {{3, "3"}, {1, ""}, {0, ""}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(RowCount(folders[i]), expected[i].first) << i;
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
  EXPECT_EQ(RowCount(folders[0]), 3);
  EXPECT_EQ(FolderField(folders[0]), "3");
  EXPECT_EQ(FolderField(folders[0], "LastScan"), lastScan);
}

// Names holding "\": an ordinary character of a name here. Both "a\b/x" and "a/b/x" get their rows;
// rows an earlier version stored with "/" for each "\" are the check's rows of their files, and a
// rescan of their folder replaces them.
TEST_P(ScanEndToEnd, NamesHoldingABackslashGetTheirRowsAndFormerRowsAreKeptThenReplaced) {
  for (const char* folder : {"a\\b", "a/b", "c\\d"}) std::filesystem::create_directories(m_root / folder);
  WriteFile(m_root / "a\\b" / "x.txt", "one");
  WriteFile(m_root / "a" / "b" / "x.txt", "two");
  AddAndLoad(m_root);
  ScanAll();
  const std::string root = Text(m_root);
  EXPECT_EQ(CaptionsOfRows(), (Captions{{{root + "a\\b/", "x.txt"}, ""}, {{root + "a/b/", "x.txt"}, ""}}));

  // Files an earlier version catalogued, its rows with "/" for "\" (marked by their Caption): a file
  // in a folder with "\" (no folder of the former name), a file with "\", and one with "\" kept
  // unread (not readable).
  for (const char* name : {"c\\d/y.txt", "e\\f.txt", "g\\h.txt"}) WriteFile(m_root / name, name);
  for (const auto& [folder, file] : {std::pair{root + "c/d/", "y.txt"}, {root, "e/f.txt"}, {root, "g/h.txt"}}) {
    Insert(folder, file, {{col::Caption, "former"}});
  }

  // The check takes them for the rows of their files: no photo without a row, no row without a file.
  const CheckResult check = Check();
  ASSERT_TRUE(check.status) << DescribeMessages();
  EXPECT_TRUE(check.filesWithoutLines.empty());
  EXPECT_TRUE(check.linesWithoutFiles.empty());

  // A rescan replaces the former rows of the files it reads, and keeps the one of a file it cannot.
  SetFileSystemFaultHook(UnreadableG);
  ScanAll();
  SetFileSystemFaultHook(nullptr);
  EXPECT_EQ(CaptionsOfRows(), (Captions{{{root + "a\\b/", "x.txt"}, ""},
                                         {{root + "a/b/", "x.txt"}, ""},
                                         {{root + "c\\d/", "y.txt"}, ""},
                                         {{root, "e\\f.txt"}, ""},
                                         {{root, "g/h.txt"}, "former"}}));
}

// A rescan leaves the table exactly as a scan of the tree into an empty table would: random changes
// to a tree (files added, deleted, touched, rewritten; folders renamed), each round rescanned in
// full or reading only new and changed files, and checked against a full scan of the same tree
// into a table of its own; so are the facts and keywords tables.
class ChangedRescan : public CatalogueFixture {
 protected:
  // Every row of a table, keyed by Folder and FileName, with its scan stamp (ModifyTime).
  StoredRows RowsOf(const std::string& images) { return Rows("select * from " + images, "(null)"); }

  ScanResult ScanInto(const std::string& images, bool onlyChanged) {
    Settings settings = m_settings;
    settings.images = images;
    settings.onlyChangedFiles = onlyChanged;
    settings.hashFiles = true;
    std::vector<FolderEntry> entries = LoadFolderEntries(connection, port, settings, false).entries;
    for (auto& e : entries) e.checked = true;
    return ScanFolders(connection, port, settings, false, m_tree / "Tessarine PRO.ini", entries, {});
  }

  // Writes the file (a JPEG whose XMP title, keywords and person shown tell its version, or a text
  // of some length) and gives it a last write of its own, seconds apart from any other.
  void Write(const std::filesystem::path& file, int version) {
    std::filesystem::create_directories(file.parent_path());
    const std::string v = std::to_string(version);
    const std::string body =
        "<dc:title><rdf:Alt><rdf:li>v" + v + "</rdf:li></rdf:Alt></dc:title><dc:subject><rdf:Bag><rdf:li>k" +
        std::to_string(version % 3) + "</rdf:li><rdf:li>shared</rdf:li></rdf:Bag></dc:subject>"
        "<lr:hierarchicalSubject><rdf:Bag><rdf:li>Places|P" + std::to_string(version % 2) + "|City" + v +
        "</rdf:li></rdf:Bag></lr:hierarchicalSubject><Iptc4xmpExt:PersonInImage><rdf:Bag><rdf:li>Person " + v +
        "</rdf:li></rdf:Bag></Iptc4xmpExt:PersonInImage>";
    WriteFile(file, file.extension() != ".jpg"
                        ? std::string(static_cast<std::size_t>(10 + version % 7), 'a' + static_cast<char>(version % 26))
                        : Jpeg(App1Xmp(Packet("<rdf:Description rdf:about=\"\" "
                                              "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                                              "xmlns:lr=\"http://ns.adobe.com/lightroom/1.0/\" "
                                              "xmlns:Iptc4xmpExt=\"http://iptc.org/std/Iptc4xmpExt/2008-02-29/\">" +
                                              body + "</rdf:Description>"))));
    Touch(file);
  }
  void Touch(const std::filesystem::path& file) {
    m_clock += std::chrono::seconds(3);
    std::filesystem::last_write_time(file, m_clock);
  }

  std::filesystem::file_time_type m_clock = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 30);
};
TESSARINE_ON_EVERY_DATABASE(ChangedRescan);

TEST_P(ChangedRescan, GivesTheTableAFullScanWouldGiveAfterRandomChanges) {
  // A new seed each run, printed; TESSARINE_SEED replays a run.
  const char* chosen = std::getenv("TESSARINE_SEED");
  const unsigned seed = chosen != nullptr ? static_cast<unsigned>(std::stoul(chosen)) : std::random_device{}();
  std::cout << "ChangedRescan seed " << seed << " (replay with TESSARINE_SEED=" << seed << ")\n";
  SCOPED_TRACE("seed " + std::to_string(seed) + " (replay with TESSARINE_SEED)");
  std::mt19937 random(seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

  int version = 0;
  for (const auto& folder : {m_root, m_root / "a", m_root / "a" / "deep", m_root / "b"}) {
    for (int i = 0; i < 4; ++i) Write(folder / ("f" + std::to_string(i) + (i % 2 ? ".jpg" : ".txt")), ++version);
  }
  AddAndLoad(m_root);
  MakeCompanionTables(m_settings.images);
  ASSERT_TRUE(ScanInto(m_settings.images, false).status) << DescribeMessages();

  for (int round = 0; round < 6; ++round) {
    const bool onlyChanged = round % 3 != 2;
    SCOPED_TRACE("round " + std::to_string(round) + (onlyChanged ? ", changed files only" : ", in full"));
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root)) {
      if (entry.is_regular_file() && entry.path().parent_path().filename() != "_thumbs_") files.push_back(entry.path());
    }
    const StoredRows before = RowsOf(m_settings.images);
    for (int change = 0; change < 6 && !files.empty(); ++change) {
      const std::filesystem::path& file = files[static_cast<std::size_t>(pick(static_cast<int>(files.size())))];
      switch (pick(5)) {
        case 0:  // a new file (in a folder a rename may have taken away: then in a new one)
          ++version;
          Write(file.parent_path() / ("new" + std::to_string(version) + (pick(2) ? ".jpg" : ".txt")), version);
          break;
        case 1:
          std::filesystem::remove(file);
          break;
        case 2:  // the same bytes, a new last write
          if (std::filesystem::exists(file)) Touch(file);
          break;
        case 3:  // new bytes
          if (std::filesystem::exists(file)) Write(file, ++version);
          break;
        default: {  // a subfolder renamed
          std::filesystem::path moved = m_root / "a";
          if (!std::filesystem::exists(moved)) moved = m_root / "renamed";
          const std::filesystem::path to = m_root / (moved.filename() == "a" ? "renamed" : "a");
          if (std::filesystem::exists(moved) && !std::filesystem::exists(to)) std::filesystem::rename(moved, to);
        }
      }
    }
    ASSERT_TRUE(ScanInto(m_settings.images, onlyChanged).status) << DescribeMessages();

    // The same tree scanned in full into a new table.
    const std::string full = Table("Full" + std::to_string(round));
    Open().SendStatement(ImagesTableStatement(ValidName(full), Dialect()));
    MakeCompanionTables(full);
    ASSERT_TRUE(ScanInto(full, false).status) << DescribeMessages();
    // Reading changed files only, most rows were kept, not written again; a full rescan writes each.
    StoredRows rescanned = RowsOf(m_settings.images);
    StoredRows fresh = RowsOf(full);
    int kept = 0;
    for (auto& [key, row] : rescanned) {
      const auto earlier = before.find(key);
      kept += earlier != before.end() && earlier->second[col::ModifyTime] == row[col::ModifyTime] ? 1 : 0;
      row[col::ModifyTime].clear();
    }
    EXPECT_EQ(kept > 0, onlyChanged);
    for (auto& [key, values] : fresh) values[col::ModifyTime].clear();
    EXPECT_EQ(rescanned, fresh);
    EXPECT_EQ(CompanionRows(m_settings.images), CompanionRows(full));
    // Every file has bytes, and a hash of them.
    EXPECT_EQ(Count(HashesTableName(ValidName(full)).Text()), std::to_string(fresh.size()));
  }
}

}  // namespace
}  // namespace tessarine::test
