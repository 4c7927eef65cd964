// The streamed reader's window is its own business: the record is the same through every window
// size, on series of files whose signatures fall on every side of the window edges and on those
// files cut around each signature; a read that comes up short gives the record of the bytes before
// it. (The searches' rules are ContainerReaderTest's.) Files of every other shape are the fuzzer's:
// it holds its seeds (tests/fuzz/seeds) and their mutants against the usual window the same way.

#include <gtest/gtest.h>

#include <algorithm>

#include "metadata/EndingSource.h"
#include "metadata/ImageBytes.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/XmpParser.h"
#include "support/RecordDifference.h"

namespace tessarine {
namespace {

using namespace test;

struct Sample {
  std::string what;
  std::string bytes;
  std::string ext;
  bool cut;  // also cut around its signatures and read through failing reads
};

const XmpParser& Parser() {
  static const XmpParser parser(CustomXmpDefinition{});
  return parser;
}

// A comment segment of n payload bytes: moves what follows it by n.
std::string Filler(std::size_t n) { return Segment(0xFE, std::string(n, 'f')); }

// Every signature at every position relative to the small windows' boundaries. The searches'
// chunks start at the file's start (headers) and at the packet's (trailers): the filler moves the
// headers, the packet's padding its trailers. A tenth of each series is cut too.
std::vector<Sample> Series() {
  std::vector<Sample> files;
  const std::string body = "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"/>";
  // A trailer whose 14 bytes end where the packet does, after another one: only the last counts.
  const std::string open = "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/><?xpacket end=\"r\"?>";
  const std::string xmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);
  for (std::size_t n = 0; n < 100; ++n) {
    const std::string by = " by " + std::to_string(n);
    const bool cut = n % 10 == 0;
    files.push_back({"jpeg shifted" + by,
                     Jpeg(Filler(n) + App13(Resource(0x0404, Iim(5, "shifted") + Iim(120, std::string(n, 'v')))) +
                          App1Xmp(Packet(body, std::string(n, ' '))) + std::string(n % 7, 'z')),
                     "JPG", cut});
    files.push_back({"tiff shifted" + by,
                     "II*\0" + std::string(30 + n, '\0') + Packet(body, std::string(100 - n, ' ')) +
                         std::string(n % 13, ' ') + "<?xpacket end=\"r\"?>TAIL",
                     "TIF", cut});
    files.push_back({"tiff: trailer ending at the packet end, padded" + by,
                     "II*\0" + std::string(40, '\0') + open + std::string(n, ' ') + "<?xpacket end=ABCD", "TIF", cut});
    files.push_back({"jpeg: trailer ending at the segment end, padded" + by,
                     Jpeg(Segment(0xE1, xmpSignature + open + std::string(n, ' ') + "<?xpacket end=")), "JPG", cut});
  }
  for (std::size_t n = 4096 - 120; n < 4096 + 10; n += 3) {
    files.push_back({"jpeg near 4096 by " + std::to_string(n),
                     Jpeg(Filler(n) + App13(Resource(0x0404, Iim(5, "far"))) + App1Xmp(TitlePacket())), "JPG",
                     n % 30 == 0});
  }
  return files;
}

// With XMP collected: reading IIM only runs the same IIM search without the XMP one.
MetadataRecord Read(Bytes bytes, const std::string& ext, std::size_t capacity = ByteWindow::kDefaultCapacity) {
  MetadataRecord record;
  ReadImageMetadataFromBytes(bytes, ext, {false, &Parser(), {}}, record, capacity);
  return record;
}

// The window is the reader's business: every size gives the record of the usual one.
void ExpectSameRecords(Bytes bytes, const std::string& ext, const std::string& what,
                       std::initializer_list<std::size_t> capacities = {64, 97, 4096}) {
  const MetadataRecord usual = Read(bytes, ext);
  for (std::size_t capacity : capacities) {
    EXPECT_EQ(RecordDifference(Read(bytes, ext, capacity), usual), "") << what << " window " << capacity;
  }
}

TEST(StreamedReader, GivesTheSameRecordThroughEveryWindow) {
  for (const Sample& file : Series()) ExpectSameRecords(AsBytes(file.bytes), file.ext, file.what);
}

// The lengths to cut a file at: the first few and the ones around each signature.
std::vector<std::size_t> CutLengths(const std::string& bytes) {
  std::vector<std::size_t> lengths = {0, 1, 2, 3};
  for (std::string_view signature : {"\xFF\xED", "Photo", "8BIM", "\x1C\x01", "\x1C\x02", "\xFF\xE1", "<?xpacket"}) {
    for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1)) {
      for (std::size_t d = 0; d < 20; ++d) lengths.push_back(std::min(bytes.size(), at + d));
    }
  }
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
  while (!lengths.empty() && lengths.back() >= bytes.size()) lengths.pop_back();
  return lengths;
}

// The record of a file of `size` bytes of which only `read` could be: the record of those bytes
// after the short-read problem and alert.
MetadataRecord ShortReadRecord(Bytes read, std::uint64_t size, const std::string& ext) {
  MetadataRecord record = Read(read, ext);
  record.problems.insert(record.problems.begin(),
                         "Short read: " + std::to_string(read.size()) + " of " + std::to_string(size) + " bytes");
  record.alerts.insert(record.alerts.begin(), {ReadAlert::Kind::ReadError, "Error reading file ..."});
  return record;
}

// A file cut at any length reads the same through every window. A read that stops there instead
// gives the record of the bytes before it after the problem and the alert; a reader that never
// needed a byte past it gives the record of the whole file.
TEST(StreamedReader, ACutFileOrAShortReadGivesTheRecordOfTheBytesBefore) {
  for (const Sample& file : Series()) {
    if (!file.cut) continue;
    for (std::size_t end : CutLengths(file.bytes)) {
      const Bytes cut = AsBytes(std::string_view(file.bytes).substr(0, end));
      const std::string what = file.what + " cut at " + std::to_string(end);
      ExpectSameRecords(cut, file.ext, what, {64});
      for (std::size_t capacity : {std::size_t{97}, ByteWindow::kDefaultCapacity}) {
        const EndingSource source(file.bytes, end);
        MetadataRecord streamed;
        ReadImageMetadataFromSource(source, file.bytes.size(), file.ext, {false, &Parser(), {}}, streamed, capacity);
        const MetadataRecord expected = source.Furthest() > end ? ShortReadRecord(cut, file.bytes.size(), file.ext)
                                                                : Read(AsBytes(file.bytes), file.ext);
        EXPECT_EQ(RecordDifference(streamed, expected), "") << what << " failing, window " << capacity;
      }
    }
  }
}

}  // namespace
}  // namespace tessarine
