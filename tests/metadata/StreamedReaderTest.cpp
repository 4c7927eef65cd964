// The streamed reader's window is its own business: the record is the same through every window
// size, on generated files whose signatures fall on every side of the window edges and on those
// files cut around each signature; a read that comes up short gives the record of the bytes before
// it. (The searches' rules are ContainerReaderTest's.) Changed bytes are the fuzzer's: with
// TESSARINE_FUZZ_SEEDS naming a folder, the generated files are written there as its seeds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "metadata/ContainerReader.h"
#include "metadata/ImageBytes.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/ParsingErrorDump.h"
#include "metadata/RegularFile.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"
#include "support/RecordDifference.h"

namespace tessarine {
namespace {

using namespace test;

struct Sample {
  std::string what;
  std::string bytes;
  std::string ext;
  bool inSeries = false;  // one of a series that shifts the same content byte by byte
};

CustomXmpDefinition CustomSchemas() {
  CustomXmpDefinition custom;
  custom.schemas[0] = {"Mine", "http://example.com/myp/1.0/", "myp", {}};
  custom.schemas[0].properties[0] = {"Rating", "05"};
  return custom;
}

const XmpParser& Parser() {
  static const XmpParser parser(CustomSchemas());
  return parser;
}

const std::string kTitlePacket = Packet(
    "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:myp=\"http://example.com/myp/1.0/\">"
    "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">XMP title</rdf:li></rdf:Alt></dc:title>"
    "<myp:Rating>4</myp:Rating></rdf:Description>");

std::string IimDatasets() {
  return Dataset(1, 90, "\x1B%G") + Iim(5, "Titel \xC3\xA9t\xC3\xA9") + Iim(25, "one") + Iim(25, "two") +
         Iim(60, "101520+0100") + Iim(120, std::string(300, 'c')) + Iim(200, "custom");
}

// A comment segment of n payload bytes: moves what follows it by n.
std::string Filler(std::size_t n) { return Segment(0xFE, std::string(n, 'f')); }

std::vector<Sample> GeneratedFiles() {
  std::vector<Sample> files;
  const std::string app13 = App13(Resource(0x03ED, "xxxx") + Resource(0x0404, IimDatasets(), "IPTC"));
  files.push_back({"jpeg: IIM and XMP", Jpeg(App1Exif() + app13 + App1Xmp(kTitlePacket)), "JPG"});
  files.push_back({"jpeg: IIM in a second APP13", Jpeg(App13(Resource(0x03ED, "xx")) + App13(Resource(0x0404, Iim(5, "t")))), "JPG"});
  files.push_back({"jpeg: no packet", Jpeg(App1Exif() + app13 + std::string(3000, '\x55')), "JPG"});
  files.push_back({"jpeg: packet in APP2 only", Jpeg(Segment(0xE2, std::string(29, 'x') + kTitlePacket)), "JPG"});
  files.push_back({"jpeg: packet without trailer", Jpeg(App1Xmp("<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>") + App1Exif()), "JPG"});
  files.push_back({"jpeg: several trailers", Jpeg(App1Xmp(kTitlePacket + "  <?xpacket end=\"r\"?> <?xpacket end=\"w\"?>zz")), "JPG"});
  files.push_back({"jpeg: a header outside APP1 before the packet",
                   Jpeg(Segment(0xE2, std::string(40, 'y') + "<?xpacket begin=") + App1Xmp(kTitlePacket)), "JPG"});
  {
    std::string overrun = Jpeg(app13 + App1Xmp(kTitlePacket));
    overrun.resize(overrun.size() - 30);  // the segment's length runs past the end of the file
    files.push_back({"jpeg: APP1 length past the end", overrun, "JPG"});
    std::string zero = Jpeg(App1Xmp(kTitlePacket));
    zero[4] = zero[5] = '\0';
    files.push_back({"jpeg: APP1 length zero", zero, "JPG"});
    std::string small = Jpeg(App1Xmp(kTitlePacket));
    small[4] = '\0';
    small[5] = '\x10';  // ends before the packet starts
    files.push_back({"jpeg: APP1 length shorter than its header", small, "JPG"});
  }
  {
    // Record 1 declares UTF-8 after the datasets, in a value the end of the file cuts: not UTF-8.
    const std::string whole = Jpeg(App13(Resource(0x0404, Iim(5, "Titel \xC3\xA9") + Dataset(1, 90, "\x1B%G" + std::string(200, 'x')))));
    files.push_back({"jpeg: UTF-8 declared in a cut value", whole.substr(0, whole.find("\x1B%G") + 13), "JPG"});
    files.push_back({"jpeg: UTF-8 declared after the datasets", whole, "JPG"});
  }
  files.push_back({"jpeg: IIM size past the end", Jpeg(App13(Resource(0x0404, IimDatasets()))).substr(0, 120), "JPG"});
  {
    std::string huge = Jpeg(App13(Resource(0x0404, Iim(5, "big")) + Iim(120, "after")));
    huge[huge.find("8BIM") + 8] = '\x7F';  // a size of about 2 GB
    files.push_back({"jpeg: IIM size far past the end", huge, "JPG"});
  }
  for (std::size_t start : {149'990u, 149'998u, 149'999u}) {
    files.push_back({"jpeg: APP13 at " + std::to_string(start),
                     "\xFF\xD8" + std::string(start - 2, '\0') + App13(Resource(0x0404, Iim(5, "late"))) + App1Xmp(kTitlePacket),
                     "JPG"});
  }
  files.push_back({"jpeg: APP13 segment past the search bound",
                   "\xFF\xD8" + std::string(149'980, '\0') + App13(std::string(200, 'r') + Resource(0x0404, Iim(5, "x"))), "JPG"});
  files.push_back({"tiff: packet and tail", "II*\0" + std::string(60, '\0') + kTitlePacket + "tail", "TIF"});
  files.push_back({"tiff: packet without trailer", "II*\0" + std::string(60, '\0') + "<?xpacket begin=\"\"?><a/>ABCD", "TIF"});
  files.push_back({"tiff: two packets", "II*\0" + std::string(40, '\0') + kTitlePacket + std::string(500, '\0') + kTitlePacket + "END!", "TIF"});
  files.push_back({"tiff: header before offset 33", "II*\0" + std::string(16, '\0') + kTitlePacket + "TAIL", "TIF"});
  files.push_back({"tiff: header at the very end", std::string(40, '\0') + "<?xpacket begin=", "TIF"});
  files.push_back({"tiff: one byte after the header", std::string(40, '\0') + "<?xpacket begin=x", "TIF"});
  files.push_back({"tiff: trailer in the last four bytes", std::string(40, '\0') + "<?xpacket begin=\"\"?><a/><?xpacket end=\"w\"?>", "TIF"});
  files.push_back({"psd: resources", "8BPS" + std::string(30, '\0') + App13(Resource(0x0404, Iim(5, "psd"))) + kTitlePacket + "tail", "PSD"});
  files.push_back({"jpeg content under another name", Jpeg(App13(Resource(0x0404, Iim(5, "x")))), "DAT"});
  files.push_back({"no supported kind", "text " + App13(Resource(0x0404, Iim(5, "x"))) + kTitlePacket, "TXT"});
  files.push_back({"broken packet", Jpeg(App1Xmp(Packet("<rdf:Description><unclosed>"))), "JPG"});
  // Every signature at every position relative to the small windows' boundaries.
  // The searches' chunks start at the file's start (headers) and at the packet's (trailers): the
  // filler moves the headers, the packet's padding its trailers.
  const std::string body = "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"/>";
  for (std::size_t n = 0; n < 100; n += 1) {
    files.push_back({"jpeg shifted by " + std::to_string(n),
                     Jpeg(Filler(n) + App13(Resource(0x0404, Iim(5, "shifted") + Iim(120, std::string(n, 'v')))) +
                          App1Xmp(Packet(body, std::string(n, ' '))) + std::string(n % 7, 'z')),
                     "JPG", true});
    files.push_back({"tiff shifted by " + std::to_string(n),
                     "II*\0" + std::string(30 + n, '\0') + Packet(body, std::string(100 - n, ' ')) + std::string(n % 13, ' ') +
                         "<?xpacket end=\"r\"?>" + "TAIL",
                     "TIF", true});
  }
  // A trailer whose 14 bytes end where the packet does, at every distance from a window boundary,
  // after another one: only the last counts.
  const std::string open = "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/><?xpacket end=\"r\"?>";
  for (std::size_t n = 0; n < 100; n += 1) {
    files.push_back({"tiff: trailer ending at the packet end, padded by " + std::to_string(n),
                     "II*\0" + std::string(40, '\0') + open + std::string(n, ' ') + "<?xpacket end=" + "ABCD", "TIF", true});
    files.push_back({"jpeg: trailer ending at the segment end, padded by " + std::to_string(n),
                     Jpeg(Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + open + std::string(n, ' ') + "<?xpacket end=")),
                     "JPG", true});
  }
  for (std::size_t n = 4096 - 120; n < 4096 + 10; n += 3) {
    files.push_back({"jpeg near 4096 by " + std::to_string(n),
                     Jpeg(Filler(n) + App13(Resource(0x0404, Iim(5, "far"))) + App1Xmp(kTitlePacket)), "JPG", true});
  }
  return files;
}

// The files to cut and fail reading: each kind once, and a tenth of each series.
std::vector<Sample> MutationBases() {
  std::vector<Sample> bases;
  std::size_t inSeries = 0;
  for (Sample& file : GeneratedFiles()) {
    if (!file.inSeries || inSeries++ % 10 == 0) bases.push_back(std::move(file));
  }
  return bases;
}

MetadataRecord Read(Bytes bytes, const std::string& ext, bool onlyIptc,
                    std::size_t capacity = ByteWindow::kDefaultCapacity) {
  MetadataRecord record;
  ReadImageMetadataFromBytes(bytes, ext, {onlyIptc, &Parser(), {}}, record, capacity);
  return record;
}

// The window is the reader's business: every size gives the record of the usual one.
void ExpectSameRecords(Bytes bytes, const std::string& ext, const std::string& what,
                       std::initializer_list<std::size_t> capacities = {64, 97, 4096}) {
  for (bool onlyIptc : {false, true}) {
    const MetadataRecord usual = Read(bytes, ext, onlyIptc);
    for (std::size_t capacity : capacities) {
      EXPECT_EQ(RecordDifference(Read(bytes, ext, onlyIptc, capacity), usual), "")
          << what << " window " << capacity << (onlyIptc ? " only IIM" : "");
    }
  }
}

// A seed ends in the bytes that choose how the fuzzer reads it: classic rules, the smallest window
// (to hold against the usual one), and the kind of file (0 JPEG, 1 TIFF, 2 PSD, 3 other).
void WriteFuzzSeed(const Sample& file, std::size_t number) {
  const char* folder = std::getenv("TESSARINE_FUZZ_SEEDS");
  if (folder == nullptr || file.bytes.size() > 16 * 1024) return;
  const std::string kinds = "JPGTIFPSD";
  const std::size_t kind = kinds.find(file.ext) == std::string::npos ? 3 : kinds.find(file.ext) / 3;
  std::ofstream(std::filesystem::path(folder) / ("generated-" + std::to_string(number)), std::ios::binary)
      << file.bytes << '\0' << '\0' << static_cast<char>(kind);
}

TEST(StreamedReader, GivesTheSameRecordThroughEveryWindow) {
  std::size_t number = 0;
  for (const Sample& file : GeneratedFiles()) {
    if (!file.inSeries || number % 10 == 0) WriteFuzzSeed(file, number);
    ++number;
    ExpectSameRecords(AsBytes(file.bytes), file.ext, file.what);
  }
}

// The lengths to cut a file at: the first few and the ones around each signature (fewer in a large
// file, whose every search scans far).
std::vector<std::size_t> CutLengths(const std::string& bytes) {
  const bool large = bytes.size() > 100'000;
  std::vector<std::size_t> lengths = {0, 1, 2, 3};
  for (std::string_view signature : {"\xFF\xED", "Photo", "8BIM", "\x1C\x01", "\x1C\x02", "\xFF\xE1", "<?xpacket"}) {
    for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1)) {
      for (std::size_t d = 0; d < 20; d += large ? 3 : 1) lengths.push_back(std::min(bytes.size(), at + d));
    }
  }
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
  while (!lengths.empty() && lengths.back() >= bytes.size()) lengths.pop_back();
  return lengths;
}

// Gives the bytes below `end` only, and remembers how far it was asked to read.
class FailingSource final : public ByteSource {
 public:
  FailingSource(std::string_view bytes, std::uint64_t end) : m_bytes(bytes), m_end(end) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const override {
    m_furthest = std::max<std::uint64_t>(m_furthest, offset + count);
    const std::string_view readable = m_bytes.substr(0, m_end);
    if (offset >= readable.size()) return 0;
    const std::string_view part = readable.substr(offset, count);
    std::copy(part.begin(), part.end(), buffer);
    return part.size();
  }
  std::uint64_t Furthest() const { return m_furthest; }

 private:
  std::string_view m_bytes;
  std::uint64_t m_end;
  mutable std::uint64_t m_furthest = 0;
};

// The record of a file of `size` bytes of which only `read` could be: the record of those bytes
// after the short-read problem and alert.
MetadataRecord ShortReadRecord(Bytes read, std::uint64_t size, const std::string& ext, bool onlyIptc) {
  MetadataRecord record = Read(read, ext, onlyIptc);
  record.problems.insert(record.problems.begin(),
                         "Short read: " + std::to_string(read.size()) + " of " + std::to_string(size) + " bytes");
  record.alerts.insert(record.alerts.begin(), {ReadAlert::Kind::ReadError, "Error reading file ..."});
  return record;
}

// A file cut at any length reads the same through every window. A read that stops there instead
// gives the record of the bytes before it after the problem and the alert; a reader that never
// needed a byte past it gives the record of the whole file.
TEST(StreamedReader, ACutFileOrAShortReadGivesTheRecordOfTheBytesBefore) {
  for (const Sample& file : MutationBases()) {
    for (std::size_t end : CutLengths(file.bytes)) {
      const Bytes cut = AsBytes(std::string_view(file.bytes).substr(0, end));
      const std::string what = file.what + " cut at " + std::to_string(end);
      ExpectSameRecords(cut, file.ext, what, {64});
      for (bool onlyIptc : {false, true}) {
        for (std::size_t capacity : {std::size_t{97}, ByteWindow::kDefaultCapacity}) {
          const FailingSource source(file.bytes, end);
          MetadataRecord streamed;
          const MetadataReadContext context{onlyIptc, &Parser(), {}};
          ReadImageMetadataFromSource(source, file.bytes.size(), file.ext, context, streamed, capacity);
          const MetadataRecord expected = source.Furthest() > end
                                              ? ShortReadRecord(cut, file.bytes.size(), file.ext, onlyIptc)
                                              : Read(AsBytes(file.bytes), file.ext, onlyIptc);
          EXPECT_EQ(RecordDifference(streamed, expected), "") << what << " failing, window " << capacity;
        }
      }
    }
  }
}

TEST(StreamedReader, ReportsAShortReadWhereverTheSearchesMeetIt) {
  // Without a packet the XMP search reads to the end, so every failure is met.
  const std::string jpeg = Jpeg(App1Exif() + App13(Resource(0x0404, Iim(5, "t"))) + std::string(5000, '\x55'));
  const MetadataReadContext context{false, &Parser(), {}};
  for (std::size_t end : {0u, 1u, 2u, 30u, 4000u, 5000u}) {
    for (std::size_t capacity : {std::size_t{64}, ByteWindow::kDefaultCapacity}) {
      const FailingSource source(jpeg, end);
      MetadataRecord r;
      ReadImageMetadataFromSource(source, jpeg.size(), "JPG", context, r, capacity);
      ASSERT_FALSE(r.problems.empty()) << end;
      EXPECT_EQ(r.problems.front(), "Short read: " + std::to_string(end) + " of " + std::to_string(jpeg.size()) + " bytes");
      ASSERT_FALSE(r.alerts.empty());
      EXPECT_EQ(r.alerts.front().kind, ReadAlert::Kind::ReadError);
      EXPECT_EQ(r.iim[col::ObjectName], end >= 100 ? "t" : "") << end;
    }
  }
}

// Counts the bytes it is asked for.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(std::string_view bytes) : m_source(AsBytes(bytes)) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) const override {
    m_asked += count;
    return m_source.ReadAt(offset, buffer, count);
  }
  std::uint64_t Asked() const { return m_asked; }

 private:
  MemoryByteSource m_source;
  mutable std::uint64_t m_asked = 0;
};

TEST(StreamedReader, ReadsOnlyTheStartOfAJpegWhoseMetadataLiesThere) {
  const std::string jpeg = Jpeg(App13(Resource(0x0404, IimDatasets())) + App1Xmp(kTitlePacket) + std::string(4 << 20, '\x55'));
  const CountingSource source(jpeg);
  MetadataRecord r;
  ReadImageMetadataFromSource(source, jpeg.size(), "JPG", {false, &Parser(), {}}, r);
  EXPECT_EQ(r.xmp[col::ObjectName], "XMP title");
  EXPECT_EQ(r.iim[col::ObjectName], "Titel \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(source.Asked(), ByteWindow::kFirstRead);
}

class StreamedFileTest : public ::testing::Test {
 protected:
  TempDir m_dir;
};

// The file shrinks after it was opened and measured: the reads come up short at the new end.
TEST_F(StreamedFileTest, AFileThatShrankWhileOpenGivesTheRecordOfWhatIsLeft) {
  const std::string jpeg = Jpeg(App13(Resource(0x0404, IimDatasets())) + std::string(3000, '\x55') + App1Xmp(kTitlePacket));
  const auto path = m_dir / "shrinking.jpg";
  const MetadataReadContext context{false, &Parser(), {}};
  for (std::size_t end : {std::size_t{1}, std::size_t{60}, std::size_t{2000}, jpeg.size() - 20}) {
    WriteFile(path, jpeg);
    const RegularFile file(path);
    ASSERT_TRUE(file.IsOpen());
    std::filesystem::resize_file(path, end);
    MetadataRecord streamed;
    ReadImageMetadataFromSource(FileByteSource(file.Descriptor()), file.Size(), "JPG", context, streamed);
    const Bytes left = AsBytes(std::string_view(jpeg).substr(0, end));
    EXPECT_EQ(RecordDifference(streamed, ShortReadRecord(left, jpeg.size(), "JPG", false)), "")
        << "shrunk to " << end;
  }
}

// A file far larger than any window (sparse: it takes no room on the disk) is searched to its end.
TEST_F(StreamedFileTest, SearchesAFileOfSeveralGigabytesToItsEnd) {
  constexpr std::uint64_t kSize = std::uint64_t{3} << 30;
  const MetadataReadContext context{false, &Parser(), {}};

  const auto jpeg = m_dir / "large.jpg";
  WriteFile(jpeg, Jpeg(App13(Resource(0x0404, Iim(5, "large")))));
  std::filesystem::resize_file(jpeg, kSize);
  MetadataRecord r;
  ReadImageMetadata(jpeg, "JPG", context, r);
  EXPECT_EQ(r.supportIptc, "1");
  EXPECT_EQ(r.iim[col::ObjectName], "large");
  EXPECT_EQ(r.xmpState, XmpState::NoPacket);
  EXPECT_TRUE(r.problems.empty());

  // A packet at the start is closed by the last trailer within the packet bound.
  const auto tiff = m_dir / "large.tif";
  WriteFile(tiff, "II*\0" + std::string(60, '\0') + kTitlePacket);
  std::filesystem::resize_file(tiff, kSize);
  MetadataRecord t;
  ReadImageMetadata(tiff, "TIF", context, t);
  EXPECT_EQ(t.supportIptc, "2");
  EXPECT_EQ(t.xmpState, XmpState::Parsed);
  EXPECT_EQ(t.xmp[col::ObjectName], "XMP title");
  EXPECT_TRUE(t.problems.empty());

  // A packet never closed is not read: one problem, no dump, no copy of gigabytes.
  const auto open = m_dir / "open.tif";
  WriteFile(open, "II*\0" + std::string(60, '\0') + "<?xpacket begin=\"\"?><x:xmpmeta>");
  std::filesystem::resize_file(open, kSize);
  ParsingErrorDump dump(m_dir / "dump.xmp");
  const MetadataReadContext dumping{false, &Parser(), &dump};
  MetadataRecord o;
  ReadImageMetadata(open, "TIF", dumping, o);
  EXPECT_EQ(o.xmpState, XmpState::NoPacket);
  EXPECT_EQ(o.problems, std::vector<std::string>{"XMP packet not closed within 16 MiB: not read"});
  EXPECT_FALSE(std::filesystem::exists(m_dir / "dump.xmp"));
}

}  // namespace
}  // namespace tessarine
