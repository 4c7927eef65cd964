// Files written at test time by exiftool and ImageMagick (and iconv), read as a scan reads them
// with modern formats off and on: off, the rows are the classic ones; on, the metadata the classic
// rules miss lands in the columns they left empty.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "core/ValueBound.h"
#include "metadata/FileRowReader.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

namespace tessarine {

void PrintTo(const KeywordEntry& entry, std::ostream* out) { *out << entry.keyword << " (" << entry.depth << ")"; }

namespace {

using namespace test;
using Columns = std::map<std::size_t, std::string>;

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }
std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

const std::string kTitle = "Caf\xC3\xA9 \xE2\x82\xAC title";  // é and € survive every encoding

class RealFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunQuietly("command -v exiftool && command -v convert && command -v iconv") != 0) {
      GTEST_SKIP() << "exiftool, ImageMagick or iconv missing: scripts/install-deps.sh installs them";
    }
  }

  // A 64x48 image of the kind the name says, with the tags exiftool writes.
  std::filesystem::path Make(const std::string& name, const std::string& tags = "") {
    const auto path = m_dir / name;
    EXPECT_EQ(RunQuietly("convert -size 64x48 xc:gray " + Quoted(path)), 0) << name;
    if (!tags.empty()) {
      EXPECT_EQ(RunQuietly("exiftool -overwrite_original -codedcharacterset=utf8 " + tags + " " + Quoted(path)), 0)
          << name;
    }
    return path;
  }

  // The XMP packet exiftool writes for the tags, as UTF-8, with its xpacket wrapper, into the file
  // of that name.
  std::string PacketOf(const std::string& tags, const std::string& name = "packet.xmp") {
    const auto sidecar = m_dir / name;
    std::filesystem::remove(sidecar);
    EXPECT_EQ(RunQuietly("exiftool -o " + Quoted(sidecar) + " " + tags), 0);
    return ReadFile(sidecar);
  }

  FileRow Read(const std::filesystem::path& path, bool modern, bool xmpOverIptc = true) {
    const XmpParser parser(CustomXmpDefinition{});
    return ReadFileRow(path, MetadataReadContext{.parser = &parser, .modernFormats = modern}, xmpOverIptc);
  }

  TempDir m_dir;
};

// A JPEG packet in UTF-16 or UTF-32, or without its xpacket wrapper, is read with modern formats on.
TEST_F(RealFilesTest, AJpegPacketInUtf16OrUtf32OrWithoutItsWrapperIsRead) {
  const std::string packet = PacketOf("-XMP-dc:Title='" + kTitle + "' -XMP-dc:Subject=one -XMP-dc:Subject=two");
  WriteFile(m_dir / "utf8.txt", packet);
  std::vector<std::pair<std::string, std::string>> bodies;
  // "UTF-16" and "UTF-32" put a byte order mark first; the others start with "<" and its zeros.
  for (const std::string encoding : {"UTF-16BE", "UTF-16LE", "UTF-16", "UTF-32BE", "UTF-32LE", "UTF-32"}) {
    const auto encoded = m_dir / "encoded.bin";
    ASSERT_EQ(RunQuietly("iconv -f UTF-8 -t " + encoding + " " + Quoted(m_dir / "utf8.txt") + " -o " + Quoted(encoded)),
              0);
    bodies.emplace_back(encoding, ReadFile(encoded));
  }
  // Both forms a writer uses without the wrapper: x:xmpmeta first, or rdf:RDF alone.
  const std::size_t begin = packet.find("<x:xmpmeta");
  const std::size_t rdf = packet.find("<rdf:RDF");
  const std::size_t rdfEnd = packet.find("</rdf:RDF>") + 10;
  const std::size_t end = packet.find("</x:xmpmeta>") + 12;
  ASSERT_TRUE(begin < rdf && rdf < rdfEnd && rdfEnd < end && end < packet.size());
  bodies.emplace_back("x:xmpmeta", packet.substr(begin, end - begin));
  bodies.emplace_back("rdf:RDF", packet.substr(rdf, rdfEnd - rdf));
  for (const auto& [what, body] : bodies) {
    const auto path = m_dir / "with.jpg";
    ASSERT_TRUE(SaveJpegWithSegments(path, 64, 48, App1Xmp(body))) << what;
    EXPECT_EQ(Read(path, false).columns[col::ObjectName], "") << what;
    const FileRow on = Read(path, true);
    EXPECT_EQ(on.columns[col::ObjectName], kTitle) << what;
    EXPECT_EQ(on.columns[col::Keywords], "one; two") << what;
    EXPECT_EQ(on.columns[col::SupportIPTC], "1");
    EXPECT_TRUE(on.alerts.empty()) << what;
  }
}

TEST_F(RealFilesTest, ExtendedXmpCompletesTheMainPacket) {
  const std::string caption(70'000, 'x');
  WriteFile(m_dir / "long.txt", caption);
  // exiftool moves what does not fit a segment into the extension: here the long description.
  const auto path =
      Make("extended.jpg", "-XMP-dc:Title=Main '-XMP-dc:Description<=" + (m_dir / "long.txt").string() + "'");
  const FileRow off = Read(path, false);
  EXPECT_EQ(off.columns[col::ObjectName], "Main");
  EXPECT_EQ(off.columns[col::Caption], "");
  const FileRow on = Read(path, true);
  EXPECT_EQ(on.columns[col::ObjectName], "Main");
  // Longer than any column holds on every server: cut, and said.
  EXPECT_EQ(on.columns[col::Caption], caption.substr(0, kMaxValueBytes));
  EXPECT_EQ(on.problems, std::vector<std::string>{"Caption cut to 65,535 bytes"});

  // A chunk whose offset does not continue the one before leaves the extension out, and says so.
  std::string bytes = ReadFile(path);
  const std::size_t chunk = bytes.rfind("http://ns.adobe.com/xmp/extension/");
  ASSERT_NE(chunk, std::string::npos);
  bytes[chunk + 35 + 32 + 4 + 2] ^= 0x10;  // the offset's third byte
  WriteFile(path, bytes);
  const FileRow broken = Read(path, true);
  EXPECT_EQ(broken.columns[col::ObjectName], "Main");
  EXPECT_EQ(broken.columns[col::Caption], "");
  EXPECT_FALSE(broken.problems.empty());
}

// Kinds the classic rules read in part or not at all give, with modern formats on, what exiftool
// wrote and the size from their structure (a raw here is a TIFF under another name). With XMP
// first, the classic packet keeps its value; Contact has no XMP source, so it shows the IIM one.
TEST_F(RealFilesTest, EachKindGivesItsMetadataAndSizeFromItsStructure) {
  const std::string iim = "-IPTC:ObjectName='IIM title' -IPTC:City=Bergen -XMP-dc:Title=XmpTitle";
  const std::string xmp = "-XMP-dc:Title='" + kTitle + "' -XMP-dc:Creator=Ann";
  const Columns iimOff = {{col::City, ""}, {col::ObjectName, ""}};
  const Columns iimOn = {{col::City, "Bergen"}, {col::ObjectName, "IIM title"}, {col::Width, "64"}};
  const Columns xmpOff = {{col::ObjectName, "XmpTitle"}, {col::SupportIPTC, "2"}, {col::Width, "64"}};
  const Columns notRead = {{col::ObjectName, ""}, {col::Width, "-"}};
  const Columns read = {{col::ObjectName, kTitle}, {col::Byline, "Ann"}, {col::Width, "64"}, {col::Height, "48"},
                        {col::SupportIPTC, "0"}};
  const struct Case {
    const char* made;
    const char* name;
    std::string tags;
    bool xmpFirst;
    Columns off;
    Columns on;
  } cases[] = {
      {"iptc.tif", "iptc.tif", iim, false, iimOff, iimOn},
      {"iptc.tif", "iptc.tif", iim, true, xmpOff, {{col::ObjectName, "XmpTitle"}}},
      {"iptc.psd", "iptc.psd", iim, false, iimOff, iimOn},
      {"raw.tif", "raw.dng", "-XMP-dc:Title=Raw -IPTC:Contact=Tromso", true,
       {{col::ObjectName, ""}, {col::Width, "-"}, {col::SupportIPTC, "0"}},
       {{col::ObjectName, "Raw"}, {col::Contact, "Tromso"}, {col::Width, "64"}, {col::Height, "48"},
        {col::SupportIPTC, "0"}}},
      {"a.png", "a.png", xmp, true, notRead, read},
      {"a.webp", "a.webp", xmp, true, notRead, read},
      {"a.gif", "a.gif", xmp, true, notRead, read},
      {"a.heic", "a.heic", xmp, true, notRead, read},
      {"a.avif", "a.avif", xmp, true, notRead, read},
  };
  for (const Case& c : cases) {
    std::filesystem::rename(Make(c.made, c.tags), m_dir / c.name);
    for (const auto& [modern, expected] : {std::pair{false, &c.off}, std::pair{true, &c.on}}) {
      const FileRow row = Read(m_dir / c.name, modern, c.xmpFirst);
      for (const auto& [column, value] : *expected) EXPECT_EQ(row.columns[column], value) << c.name << " " << column;
    }
  }
  // A PNG ImageMagick converts from a JPEG keeps its XMP and IIM as "Raw profile type" text chunks.
  ASSERT_EQ(RunQuietly("convert " + Quoted(Make("im.jpg", iim + " " + xmp)) + " " + Quoted(m_dir / "im.png")), 0);
  EXPECT_EQ(Read(m_dir / "im.png", true, true).columns[col::ObjectName], kTitle);
  EXPECT_EQ(Read(m_dir / "im.png", true, false).columns[col::City], "Bergen");
}

TEST_F(RealFilesTest, ASidecarGivesTheXmpOfAnImageWithoutAPacket) {
  const auto image = Make("side.jpg", "-IPTC:City=Oslo");
  PacketOf("-XMP-dc:Title=Beside -XMP-photoshop:City=Bergen", "side.xmp");
  EXPECT_EQ(Read(image, false).columns[col::ObjectName], "");
  const FileRow on = Read(image, true);
  EXPECT_EQ(on.columns[col::ObjectName], "Beside");
  EXPECT_EQ(on.columns[col::City], "Oslo");  // the classic IIM value stays

  // name.ext.xmp too; and an image with its own packet ignores its sidecar.
  std::filesystem::rename(m_dir / "side.xmp", m_dir / "side.jpg.xmp");
  EXPECT_EQ(Read(image, true).columns[col::ObjectName], "Beside");
  const auto own = Make("own.jpg", "-XMP-dc:Creator=Self");
  PacketOf("-XMP-dc:Title=Beside", "own.xmp");
  EXPECT_EQ(Read(own, true).columns[col::ObjectName], "");
  EXPECT_EQ(Read(own, true).columns[col::Byline], "Self");
}

// What a file's companion rows keep, as exiftool writes it into a JPEG's EXIF segment, a TIFF's
// directories and a CR3's boxes (from the sample when at hand), whether or not modern formats are
// read: the date taken with sub-seconds and offset, make, model and lens, exposure, a position
// south, west and below sea level, what the photo shows and who licenses it, and its keywords,
// flat and each level of the hierarchical ones.
TEST_F(RealFilesTest, TheCompanionRowsHoldTheFactsOfTheTakingAndEveryKeyword) {
  const std::string tags =
      "-DateTimeOriginal='2024:05:01 10:20:30' -SubSecTimeOriginal=123 -OffsetTimeOriginal=+02:00 -Make=Bench "
      "-Model='Bench 1' -LensModel='Bench 24-70' -FocalLength=35 -FNumber=2.8 -ExposureTime=1/250 -ISO=400 "
      "-Orientation#=6 -GPSLatitude=59.9139 -GPSLatitudeRef=S -GPSLongitude=10.7522 -GPSLongitudeRef=W "
      "-GPSAltitude=12.5 -GPSAltitudeRef#=1 -IPTC:Keywords=harbour -IPTC:Keywords=Oslo -XMP-dc:Subject=Oslo "
      "'-XMP-lr:HierarchicalSubject=Places|Norway|Oslo' '-XMP-lr:HierarchicalSubject=Places|Norway' "
      "'-XMP-iptcExt:PersonInImage=Ann Lee' '-XMP-iptcExt:PersonInImage=Bo Ek' '-XMP-iptcExt:Event=Day One' "
      "-XMP-iptcExt:OrganisationInImageName=UN -XMP-iptcExt:LocationCreatedCity=Bergen "
      "-XMP-iptcExt:LocationCreatedSublocation=Bryggen -XMP-iptcExt:LocationCreatedProvinceState=Vestland "
      "-XMP-iptcExt:LocationCreatedCountryName=Norway -XMP-iptcExt:LocationShownCity=Oslo "
      "-XMP-iptcExt:LocationShownCity=Bergen '-XMP-plus:LicensorName=Agency AS' -XMP-plus:ModelReleaseStatus=None "
      "-XMP-iptcExt:DigitalSourceType=http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia";
  std::vector<std::filesystem::path> files{Make("shot.jpg", tags), Make("shot.tif", tags)};
  const char* root = std::getenv("TESSARINE_SOURCE_DIR");
  const std::filesystem::path cr3 = std::string(root ? root : ".") + "/../shared/corpus/exiftool-samples/CanonRaw.cr3";
  if (std::filesystem::exists(cr3)) {
    EXPECT_EQ(RunQuietly("exiftool -o " + Quoted(m_dir / "shot.cr3") + " " + tags + " " + Quoted(cr3)), 0);
    files.push_back(m_dir / "shot.cr3");
  }
  FactValues expected;
  const std::pair<std::size_t, const char*> given[] = {
      {fact::DateTaken, "2024-05-01 10:20:30"},
      {fact::SubSecTaken, "123"},
      {fact::OffsetTaken, "+02:00"},
      {fact::Make, "Bench"},
      {fact::Model, "Bench 1"},
      {fact::Lens, "Bench 24-70"},
      {fact::FocalLength, "35"},
      {fact::FNumber, "2.8"},
      {fact::ExposureTime, "0.004"},
      {fact::Iso, "400"},
      {fact::Orientation, "6"},
      {fact::Latitude, "-59.9139"},
      {fact::Longitude, "-10.7522"},
      {fact::Altitude, "-12.5"},
      {fact::CreatedSublocation, "Bryggen"},
      {fact::CreatedCity, "Bergen"},
      {fact::CreatedState, "Vestland"},
      {fact::CreatedCountry, "Norway"},
      {fact::ShownCity, "Oslo; Bergen"},
      {fact::PersonShown, "Ann Lee; Bo Ek"},
      {fact::Event, "Day One"},
      {fact::OrganisationShown, "UN"},
      {fact::Licensor, "Agency AS"},
      {fact::ModelReleaseStatus, "http://ns.useplus.org/ldf/vocab/MR-NON"},
      {fact::DigitalSourceType, "http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia"}};
  for (const auto& [f, text] : given) expected[f] = text;
  const std::vector<KeywordEntry> keywords{{"harbour", "harbour", 0},
                                           {"Oslo", "Oslo", 0},
                                           {"Places", "Places", 1},
                                           {"Places|Norway", "Norway", 2},
                                           {"Places|Norway|Oslo", "Oslo", 3}};
  for (const std::filesystem::path& file : files) {
    for (const bool modern : {true, false}) {
      if (file.extension() == ".cr3" && !modern) continue;  // the classic rules read no raw file
      SCOPED_TRACE(file.filename().string() + (modern ? ", modern formats" : ", classic rules"));
      const CompanionRow row = Read(file, modern).companions;
      for (std::size_t f = 0; f < kFactCount; ++f) EXPECT_EQ(row.facts[f], expected[f]) << kFactColumns[f].name;
      // A raw file holds no IIM; the classic rules find none in a TIFF.
      if (file.extension() == ".jpg" || (file.extension() == ".tif" && modern)) {
        EXPECT_EQ(row.keywords, keywords);
      }
    }
  }
}

// The mean difference of a thumbnail's pixels to those of a reference picture, sampled at the same
// places, as a share of their range.
double MeanDifference(const PreviewImage& thumbnail, const std::filesystem::path& reference) {
  FIBITMAP* loaded = FreeImage_Load(FIF_PNG, reference.c_str(), 0);
  FIBITMAP* picture = loaded == nullptr ? nullptr : FreeImage_ConvertTo24Bits(loaded);  // ImageMagick writes palettes
  FreeImage_Unload(loaded);
  if (picture == nullptr || thumbnail.width == 0) return 1.0;
  const unsigned width = FreeImage_GetWidth(picture);
  const unsigned height = FreeImage_GetHeight(picture);
  double sum = 0;
  for (int y = 0; y < thumbnail.height; ++y) {
    for (int x = 0; x < thumbnail.width; ++x) {
      RGBQUAD colour{};
      FreeImage_GetPixelColor(picture, x * width / thumbnail.width, height - 1 - y * height / thumbnail.height, &colour);
      const std::uint8_t* pixel = &thumbnail.rgb[(static_cast<std::size_t>(y) * thumbnail.width + x) * 3];
      sum += std::abs(pixel[0] - colour.rgbRed) + std::abs(pixel[1] - colour.rgbGreen) + std::abs(pixel[2] - colour.rgbBlue);
    }
  }
  FreeImage_Unload(picture);
  return sum / (3.0 * 255 * thumbnail.width * thumbnail.height);
}

// A thumbnail is made from the preview a file carries when that is the same picture (its shape
// within 1%, 160 px or more), else from the image's pixels, and turned upright as the image says:
// either way it shows what ImageMagick shows, within 3% of the range, and carries no metadata of
// its source. A raw file's comes from its preview alone, its size from its header.
TEST_F(RealFilesTest, AThumbnailComesFromTheFilesPreviewWhenItIsTheSamePictureTurnedUpright) {
  // Quadrants of four colours, so that a wrong turn shows.
  ASSERT_EQ(RunQuietly("cd " + Quoted(m_dir.path()) + " && convert -size 600x400 xc:red xc:lime +append \\( -size 600x400 " +
                       "xc:blue xc:yellow +append \\) -append picture.jpg && convert picture.jpg -resize 240x160 " +
                       "same.jpg && convert -size 240x160 xc:magenta other.jpg && convert -size 160x120 xc:magenta " +
                       "banded.jpg && convert -size 150x100 xc:magenta small.jpg && convert other.jpg other.png"),
            0);
  const struct {
    const char* preview;
    int orientation;
    bool fromPreviews;
    bool showsPreview;  // else the picture
  } cases[] = {
      {"same", 1, true, false},   {"other", 1, true, true},   {"other", 1, false, false}, {"banded", 1, true, false},
      {"small", 1, true, false},  {"same", 2, true, false},   {"same", 3, true, false},   {"same", 4, true, false},
      {"same", 5, true, false},   {"same", 6, true, false},   {"same", 7, true, false},   {"same", 8, true, false},
      {"other", 8, false, false},
  };
  const XmpParser parser(CustomXmpDefinition{});
  MetadataReadContext context{.parser = &parser, .modernFormats = true};
  int n = 0;
  auto thumbnailOf = [&](const std::string& name) {
    const std::string thumbnail = (m_dir / "_thumbs_" / (std::to_string(++n) + ".jpg")).native();
    return ReadFileRow(FolderKey::FromPath(m_dir.path().native() + "/"), name, context, true,
                       [&](const std::string&) { return thumbnail; });
  };
  for (const auto& c : cases) {
    const std::string label = std::string(c.preview) + " " + std::to_string(c.orientation);
    const std::string file = "shot" + std::to_string(n) + ".jpg";
    std::filesystem::copy_file(m_dir / "picture.jpg", m_dir / file);
    ASSERT_EQ(RunQuietly("cd " + Quoted(m_dir.path()) + " && exiftool -overwrite_original '-ThumbnailImage<=" + c.preview +
                         ".jpg' -Orientation#=" + std::to_string(c.orientation) + " " + file +
                         " && convert " + file + " -auto-orient upright.png"),
              0)
        << label;
    context.thumbnailsFromPreviews = c.fromPreviews;
    const FileRow row = thumbnailOf(file);
    EXPECT_EQ(row.columns[col::Width] + "x" + row.columns[col::Height], "1200x800") << label;
    EXPECT_LT(MeanDifference(row.preview, m_dir / (c.showsPreview ? "other.png" : "upright.png")), 0.03) << label;
    // Upright already, it carries no orientation (nor any metadata) for viewers to turn it by.
    EXPECT_EQ(ReadFile(m_dir / "_thumbs_" / (std::to_string(n) + ".jpg")).find("Exif"), std::string::npos) << label;
  }

  const std::string other = ReadFile(m_dir / "other.jpg");
  WriteFile(m_dir / "shot.nef", std::string("MM\0*", 4) + Be32(8) +
                                    TiffDirectory({TiffEntry(256, 4, 1, 1200), TiffEntry(257, 4, 1, 800),
                                                   TiffEntry(513, 4, 1, 62), TiffEntry(514, 4, 1, other.size())}) +
                                    other);
  context.thumbnailsFromPreviews = true;
  const FileRow raw = thumbnailOf("shot.nef");
  EXPECT_EQ(raw.columns[col::Width] + "x" + raw.columns[col::Height], "1200x800");
  EXPECT_LT(MeanDifference(raw.preview, m_dir / "other.png"), 0.03);
}

}  // namespace
}  // namespace tessarine
