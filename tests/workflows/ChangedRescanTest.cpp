// A rescan leaves the table exactly as a scan of the tree into an empty table would: random changes
// to a tree (files added, deleted, touched, rewritten; folders renamed), each round rescanned in
// full or reading only new and changed files, and checked against a full scan of the same tree
// into a table of its own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "core/ImageColumns.h"
#include "metadata/ImageBytes.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

using StoredRows = std::map<std::string, std::vector<std::string>>;

class ChangedRescan : public CatalogueFixture {
 protected:
  // Every row of a table, keyed by Folder and FileName, with its scan stamp (ModifyTime).
  StoredRows RowsOf(const std::string& images) { return Rows("select * from " + images, "(null)"); }

  ScanResult ScanInto(const std::string& images, bool onlyChanged) {
    Settings settings = m_settings;
    settings.images = images;
    settings.onlyChangedFiles = onlyChanged;
    std::vector<FolderEntry> entries = LoadFolderEntries(connection, port, settings, false).entries;
    for (auto& e : entries) e.checked = true;
    return ScanFolders(connection, port, settings, false, m_tree / "Tessarine PRO.ini", entries, {});
  }

  // Writes the file (a JPEG whose XMP title tells its version, or a text of some length) and gives
  // it a last write of its own, seconds apart from any other.
  void Write(const std::filesystem::path& file, int version) {
    std::filesystem::create_directories(file.parent_path());
    const std::string title = "<dc:title><rdf:Alt><rdf:li>v" + std::to_string(version) + "</rdf:li></rdf:Alt></dc:title>";
    WriteFile(file, file.extension() != ".jpg"
                        ? std::string(static_cast<std::size_t>(10 + version % 7), 'a' + static_cast<char>(version % 26))
                        : Jpeg(App1Xmp(Packet("<rdf:Description rdf:about=\"\" "
                                              "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
                                              title + "</rdf:Description>"))));
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
  }
}

}  // namespace
}  // namespace tessarine::test
