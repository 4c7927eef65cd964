// Files read ahead on worker threads give the rows one reader gives, in the order they are taken.

#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "metadata/ImageBytes.h"
#include "support/FaultyDecoder.h"
#include "workflows/scan/ReadAhead.h"

namespace tessarine {
namespace {

using namespace test;

class ReadAheadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = FolderKey::FromPath(m_dir.path().string());
    // Files of every kind the scan meets, in an order that mixes slow and fast ones.
    for (int i = 0; i < 24; ++i) {
      const char* extension = i % 4 == 2 ? ".txt" : i % 4 == 3 ? ".tif" : ".jpg";
      const std::filesystem::path file = m_dir / ("f" + std::to_string(i) + extension);
      const std::string title = "<dc:title><rdf:Alt><rdf:li>T" + std::to_string(i) + "</rdf:li></rdf:Alt></dc:title>";
      if (i % 4 == 0) {
        ASSERT_TRUE(SaveImage(file, FIF_JPEG, 40 + i, 30));
      }
      if (i % 4 == 1) {
        WriteFile(file, Jpeg(App13(Resource(0x0404, Iim(120, "iim caption"))) +
                             App1Xmp(Packet("<rdf:Description rdf:about=\"\" "
                                            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
                                            title + "</rdf:Description>"))));
      }
      if (i % 4 == 2) WriteFile(file, "text");
      if (i % 4 == 3) {
        ASSERT_TRUE(SaveImage(file, FIF_TIFF, 10, 10 + i));
      }
      m_names.push_back(file.filename().string());
    }
    m_settings.createThumbnails = true;
    m_settings.reCreateThumbnails = true;
    m_settings.keepIimWhenXmpMissing = true;
  }

  std::vector<ColumnValues> ReadOneByOne() {
    ScanFileReader reader(m_settings, {});
    std::vector<ColumnValues> rows;
    for (const std::string& name : m_names) {
      PendingThumbnail thumbnail;
      rows.push_back(reader.Read(m_folder, name, thumbnail).columns);
      thumbnail.Discard();
    }
    return rows;
  }

  TempDir m_dir;
  FolderKey m_folder;
  std::vector<std::string> m_names;
  Settings m_settings;
};

TEST_F(ReadAheadTest, WorkersGiveTheRowsOfOneReaderInTheOrderTheyAreTaken) {
  const std::vector<ColumnValues> expected = ReadOneByOne();
  // The files really hold what they are read for, by the reading choices of the settings.
  ASSERT_EQ(expected[1][col::ObjectName], "T1");
  ASSERT_EQ(expected[1][col::Caption], "iim caption");
  ASSERT_EQ(expected[0][col::Width], "40");
  for (unsigned workers : {0U, 1U, 3U}) {
    ReadAhead reader(m_settings, {}, workers);
    reader.Queue(m_folder, m_names);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
      const FileRow row = reader.Take(m_folder, m_names[i]);
      EXPECT_EQ(row.columns, expected[i]) << workers << " workers, " << m_names[i];
      EXPECT_EQ(row.preview.width > 0, i % 4 == 0 || i % 4 == 3) << m_names[i];
    }
  }
  // A folder walked again, a scan stopped halfway, a file taken out of turn: each row is still the
  // file's own.
  ReadAhead reader(m_settings, {}, 2);
  reader.Queue(m_folder, m_names);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(reader.Take(m_folder, m_names[i]).columns, expected[i]);
  reader.Queue(m_folder, m_names);  // walked again from a new listing
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(reader.Take(m_folder, m_names[i]).columns, expected[i]);
  EXPECT_EQ(reader.Take(m_folder, m_names[20]).columns, expected[20]);  // out of turn
  reader.Drop();
  EXPECT_EQ(reader.Take(m_folder, m_names[9]).columns, expected[9]);  // no longer queued
  m_settings.keepIimWhenXmpMissing = false;
  EXPECT_EQ(ReadOneByOne()[1][col::Caption], "");
}

// A file on whose thumbnail the decoder crashes costs nothing but that thumbnail: its size is the
// one its header gives (a crash is no verdict of the image library's), and the next file of the
// same worker gets a new decoder.
TEST_F(ReadAheadTest, AFileThatCrashesTheDecoderKeepsTheSizeItsHeaderGives) {
  ASSERT_TRUE(SaveImage(m_dir / "crash.jpg", FIF_JPEG, 20, 10));
  ASSERT_TRUE(SaveImage(m_dir / "crash.tif", FIF_TIFF, 30, 15));
  ::setenv("TESSARINE_DECODER", FaultyDecoderProgram().c_str(), 1);  // read as each worker starts
  for (bool modern : {false, true}) {
    m_settings.modernFormats = modern;
    ReadAhead reader(m_settings, {}, 1);
    reader.Queue(m_folder, {"crash.jpg", "crash.tif", m_names[0]});
    for (const auto& [name, size] : {std::pair{"crash.jpg", "20x10"}, std::pair{"crash.tif", "30x15"}}) {
      const FileRow crashed = reader.Take(m_folder, name);
      EXPECT_EQ(crashed.columns[col::Width] + "x" + crashed.columns[col::Height], size) << name << modern;
      EXPECT_EQ(crashed.problems, std::vector<std::string>{"the image decoder died of signal 6; the size is the one "
                                                           "its header gives"});
    }
    EXPECT_EQ(reader.Take(m_folder, m_names[0]).columns[col::Width], "40");
  }
  ::unsetenv("TESSARINE_DECODER");
}

// Thumbnails of files read ahead are put in place when the writer takes the file: of two files
// whose thumbnails share a name, the later in listing order wins, a file not taken leaves none, and
// one already there is kept unless the settings say to make it again.
TEST_F(ReadAheadTest, ThumbnailsArePutInPlaceInListingOrderAndOnlyForFilesTaken) {
  ASSERT_TRUE(SaveImage(m_dir / "a.jpg", FIF_JPEG, 200, 100));  // both make _thumbs_/a.jpg
  ASSERT_TRUE(SaveImage(m_dir / "a.tif", FIF_TIFF, 100, 200));
  ASSERT_TRUE(SaveImage(m_dir / "b.jpg", FIF_JPEG, 50, 50));
  const auto thumbnails = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "_thumbs_")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto take = [&](const std::vector<std::string>& order) {
    ReadAhead reader(m_settings, {}, 3);
    reader.Queue(m_folder, order);
    for (const std::string& name : order) reader.Take(m_folder, name);
  };
  take({"a.jpg", "a.tif"});
  EXPECT_EQ(ImageSize(m_dir / "_thumbs_" / "a.jpg"), (std::pair{80U, 160U}));
  take({"a.tif", "a.jpg"});
  EXPECT_EQ(ImageSize(m_dir / "_thumbs_" / "a.jpg"), (std::pair{160U, 80U}));
  {
    ReadAhead reader(m_settings, {}, 2);
    reader.Queue(m_folder, {"a.jpg", "b.jpg"});
    reader.Take(m_folder, "a.jpg");
    while (thumbnails().size() < 2) std::this_thread::yield();  // b.jpg's is being made, hidden
    reader.Drop();  // the scan stopped: b.jpg is not taken
  }  // its worker has given up b.jpg
  EXPECT_EQ(thumbnails(), std::vector<std::string>{"a.jpg"});
  m_settings.reCreateThumbnails = false;
  take({"a.tif"});
  EXPECT_EQ(ImageSize(m_dir / "_thumbs_" / "a.jpg"), (std::pair{160U, 80U}));
}

// PNG and WebP pictures get thumbnails, shown on white where they are transparent, and keep the
// size their header gives; a HEIF picture, whose pixels the image library cannot decode, gets none
// and its row says which kind it is.
TEST_F(ReadAheadTest, NewerKindsOfPicturesGetThumbnailsWhereTheLibraryDecodesThem) {
  ASSERT_TRUE(SaveImage(m_dir / "p.png", FIF_PNG, 300, 150));
  ASSERT_TRUE(SaveImage(m_dir / "w.webp", FIF_WEBP, 150, 300));
  FIBITMAP* clear = FreeImage_Allocate(40, 20, 32);  // every pixel transparent
  ASSERT_TRUE(clear != nullptr && FreeImage_Save(FIF_PNG, clear, (m_dir / "clear.png").c_str(), 0));
  FreeImage_Unload(clear);
  WriteFile(m_dir / "h.heic", std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24));
  const struct {
    const char* name;
    const char* size;  // the row's
    std::pair<unsigned, unsigned> thumbnail;
    const char* noThumbnail;
  } files[] = {{"p.png", "300x150", {160, 80}, ""},
               {"w.webp", "150x300", {80, 160}, ""},
               {"clear.png", "40x20", {40, 20}, ""},
               {"h.heic", "-x-", {0, 0}, "HEIF"}};
  ScanFileReader reader(m_settings, {});
  for (const auto& file : files) {
    PendingThumbnail thumbnail;
    const FileRow row = reader.Read(m_folder, file.name, thumbnail);
    thumbnail.PutInPlace();
    const std::string stem = std::filesystem::path(file.name).stem().string();
    EXPECT_EQ(row.columns[col::Width] + "x" + row.columns[col::Height], file.size) << file.name;
    EXPECT_EQ(ImageSize(m_dir / "_thumbs_" / (stem + ".jpg")), file.thumbnail) << file.name;
    EXPECT_EQ(row.noThumbnail, file.noThumbnail) << file.name;
  }
  FIBITMAP* shown = FreeImage_Load(FIF_JPEG, (m_dir / "_thumbs_" / "clear.jpg").c_str(), 0);
  ASSERT_TRUE(shown != nullptr);
  RGBQUAD pixel{};
  FreeImage_GetPixelColor(shown, 20, 10, &pixel);
  FreeImage_Unload(shown);
  EXPECT_GE(std::min({pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue}), 250);
}

// The thumbnails' folder is the program's own: anything else at its name (a link to a folder, a
// link to nothing, a file) is left as it is, even when a thumbnail seems to be there, and the file
// still gets its row.
TEST_F(ReadAheadTest, AThumbnailsFolderThatIsNoFolderIsRefusedAndNothingIsWrittenThere) {
  const std::filesystem::path thumbs = m_dir / "_thumbs_";
  const std::filesystem::path victim = m_dir / "victim";
  m_settings.reCreateThumbnails = false;
  for (int there = 0; there < 3; ++there) {
    std::filesystem::remove_all(thumbs);
    std::filesystem::remove_all(victim);
    std::filesystem::create_directory(victim);
    WriteFile(victim / "f0.jpg", "precious");
    if (there == 0) std::filesystem::create_directory_symlink(victim, thumbs);
    if (there == 1) std::filesystem::create_directory_symlink(m_dir / "nowhere", thumbs);
    if (there == 2) WriteFile(thumbs, "not a folder");
    const std::string what =
        thumbs.string() + (there < 2 ? " is a link" : " is not a folder") + ": no thumbnails written there";
    ReadAhead reader(m_settings, {}, 1);
    reader.Queue(m_folder, {m_names[0]});
    const FileRow row = reader.Take(m_folder, m_names[0]);
    EXPECT_EQ(row.columns[col::Width], "40") << what;
    EXPECT_NE(std::find(row.problems.begin(), row.problems.end(), what), row.problems.end()) << what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(victim), {}), 1) << what;
    EXPECT_EQ(ReadFile(victim / "f0.jpg"), "precious") << what;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "nowhere")) << what;
  }
}

}  // namespace
}  // namespace tessarine
