#include "metadata/IimDecoder.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using namespace test;

MetadataRecord Decode(const std::string& datasets, std::string_view before = "", std::string_view after = "") {
  const std::string file = std::string(before) + datasets + std::string(after);
  MetadataRecord record;
  DecodeIim(AsBytes(file), IimBlock{before.size(), datasets.size()}, record);
  return record;
}

TEST(IimDecoder, StoresEachValueByTheRulesOfItsDatasetAndUnknownOnesAsCustomizedLines) {
  const std::string zeroInside = Iim(105, std::string("ab\0cd", 5)) + Iim(5, "next");
  const std::string utf8 = Dataset(1, 90, "\x1B%G");
  const struct Case { std::string datasets; std::size_t column; std::string expected; } cases[] = {
      // Repeated keywords join with semicolons, an empty first value aside; single values keep the last.
      {Iim(25, "sea") + Iim(25, "sun") + Iim(25, "sand"), col::Keywords, "sea; sun; sand"},
      {Iim(25, "") + Iim(25, "sun"), col::Keywords, "sun"},
      {Iim(25, "sea") + Iim(25, ""), col::Keywords, "sea; "},
      {Iim(5, "A") + Iim(5, "B"), col::ObjectName, "B"},
      // Time Created, and only it, becomes hh:mm:ss without its zone.
      {Iim(60, "143005+0100"), col::CreatedTime, "14:30:05"},
      {Iim(60, "1430"), col::CreatedTime, "1430"},
      {Iim(60, "  143005  "), col::CreatedTime, "14:30:05"},
      {Iim(35, "101010"), col::ReleaseTime, "101010"},
      // Line breaks are normalised; a value ends at its first zero byte, the next dataset is read.
      {Iim(120, " a\nb "), col::Caption, "a\r\nb"},
      {zeroInside, col::Headline, "ab"},
      {zeroInside, col::ObjectName, "next"},
      // Windows-1252 unless record 1 declares UTF-8 (ESC % G); then a byte that is not UTF-8 is dropped.
      {Iim(5, "caf\xE9"), col::ObjectName, "caf\xC3\xA9"},
      {Iim(5, "caf\xC3\xA9"), col::ObjectName, "caf\xC3\x83\xC2\xA9"},
      {utf8 + Iim(5, "caf\xC3\xA9"), col::ObjectName, "caf\xC3\xA9"},
      {utf8 + Iim(5, "caf\xE9"), col::ObjectName, "caf"},
      {Dataset(1, 90, "\x1B-A") + Iim(5, "caf\xE9"), col::ObjectName, "caf\xC3\xA9"},
      // Unknown datasets become lines of Customized; record 1 and the record version are skipped.
      {Iim(12, "IPTC:01000000") + Iim(135, "fr") + Iim(200, "x\ny"), col::Customized,
       "Field: 12: IPTC:01000000\r\nField: 135: fr\r\nField: 200: x\r\ny\r\n"},
      {Dataset(1, 0, "\x00\x04") + Dataset(1, 5, "env") + Iim(0, "\x00\x04") + Iim(5, "T"), col::ObjectName, "T"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.datasets));
    const MetadataRecord r = Decode(c.datasets);
    EXPECT_EQ(r.iim[c.column], c.expected);
    if (c.column != col::Customized) {
      EXPECT_EQ(r.iim[col::Customized], "");
    }
  }
}

// A value is read from its block and from the file only: cut by the end of the file it is dropped
// and said (unless its text ended at a zero byte before), run past its block it is cut there and
// said; what was read before stays.
TEST(IimDecoder, KeepsWhatLiesInsideTheBlockAndTheFileAndSaysWhatWasCut) {
  const std::string caption = Iim(5, "kept") + Iim(120, "a caption that the file cuts short");
  const std::string zeroEnded = Iim(5, std::string("ok\0and more bytes", 17));
  const std::string pastBlock = Iim(5, "inside") + Iim(105, "beyond");
  const std::string captionCut = "IIM dataset 2:120 cut off by the end of the file";
  const std::string utf8Cut = Iim(5, "caf\xE9") + Dataset(1, 90, "\x1B%GX");
  const struct Case {
    const char* what;
    std::string file;
    std::size_t block;
    std::string objectName;
    std::vector<std::string> problems;
  } cases[] = {
      {"cut by ten bytes", caption.substr(0, caption.size() - 10), caption.size(), "kept", {captionCut}},
      {"cut by one byte", caption.substr(0, caption.size() - 1), caption.size(), "kept", {captionCut}},
      {"a header cut", Iim(5, "kept") + std::string("\x1C\x02\x78\x00", 4), 100, "kept", {captionCut}},
      {"text ended at a zero byte inside the file", zeroEnded.substr(0, 10), zeroEnded.size(), "ok", {}},
      {"past its block", pastBlock, 8, "ins", {"IIM dataset 2:5 runs past the end of its block: cut there"}},
      // A declaration the file cuts by one byte declares nothing: Windows-1252 stays.
      {"UTF-8 declared in a cut value", utf8Cut.substr(0, utf8Cut.size() - 1), utf8Cut.size(), "caf\xC3\xA9", {}},
  };
  for (const Case& c : cases) {
    MetadataRecord record;
    DecodeIim(AsBytes(c.file), IimBlock{0, c.block}, record);
    EXPECT_EQ(record.iim[col::ObjectName], c.objectName) << c.what;
    EXPECT_EQ(record.iim[col::Caption], "") << c.what;
    EXPECT_EQ(record.iim[col::Headline], "") << c.what;
    EXPECT_EQ(record.problems, c.problems) << c.what;
  }
  // The bytes around the block belong to other segments.
  const MetadataRecord r = Decode(Iim(5, "in"), Iim(105, "before"), "xx" + Iim(105, "after"));
  EXPECT_EQ(r.iim[col::ObjectName], "in");
  EXPECT_EQ(r.iim[col::Headline], "");
}

}  // namespace
}  // namespace tessarine
