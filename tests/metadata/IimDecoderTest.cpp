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

TEST(IimDecoder, JoinsRepeatedKeywordsWithSemicolons) {
  EXPECT_EQ(Decode(Iim(25, "sea") + Iim(25, "sun") + Iim(25, "sand")).iim[col::Keywords], "sea; sun; sand");
  EXPECT_EQ(Decode(Iim(25, "") + Iim(25, "sun")).iim[col::Keywords], "sun");
  EXPECT_EQ(Decode(Iim(25, "sea") + Iim(25, "")).iim[col::Keywords], "sea; ");
  EXPECT_EQ(Decode(Iim(80, "Ann") + Iim(80, "Bob")).iim[col::Byline], "Ann; Bob");
}

TEST(IimDecoder, KeepsTheLastOfRepeatedSingleValues) {
  EXPECT_EQ(Decode(Iim(5, "A") + Iim(5, "B")).iim[col::ObjectName], "B");
  EXPECT_EQ(Decode(Iim(120, "one") + Iim(120, "two")).iim[col::Caption], "two");
}

TEST(IimDecoder, ReformatsTimeCreatedAndDropsTheZone) {
  EXPECT_EQ(Decode(Iim(60, "143005+0100")).iim[col::CreatedTime], "14:30:05");
  EXPECT_EQ(Decode(Iim(60, "1430")).iim[col::CreatedTime], "1430");
  EXPECT_EQ(Decode(Iim(60, "  143005  ")).iim[col::CreatedTime], "14:30:05");
  EXPECT_EQ(Decode(Iim(35, "101010")).iim[col::ReleaseTime], "101010");  // only Time Created is reformatted
}

TEST(IimDecoder, NormalisesLineBreaksAndEndsAValueAtAZeroByte) {
  EXPECT_EQ(Decode(Iim(120, " a\nb ")).iim[col::Caption], "a\r\nb");
  EXPECT_EQ(Decode(Iim(120, "a\n\nb")).iim[col::Caption], "a\r\nb");
  EXPECT_EQ(Decode(Iim(105, std::string("ab\0cd", 5)) + Iim(5, "next")).iim[col::Headline], "ab");
  EXPECT_EQ(Decode(Iim(105, std::string("ab\0cd", 5)) + Iim(5, "next")).iim[col::ObjectName], "next");
}

TEST(IimDecoder, WritesUnknownDatasetsAsCustomizedLines) {
  const MetadataRecord r = Decode(Iim(12, "IPTC:01000000") + Iim(135, "fr") + Iim(200, "x\ny"));
  EXPECT_EQ(r.iim[col::Customized], "Field: 12: IPTC:01000000\r\nField: 135: fr\r\nField: 200: x\r\ny\r\n");
  EXPECT_EQ(r.iim[col::Keywords], "");
}

TEST(IimDecoder, SkipsRecordOneAndTheRecordVersion) {
  const MetadataRecord r = Decode(Dataset(1, 0, "\x00\x04") + Dataset(1, 5, "env") + Iim(0, "\x00\x04") + Iim(5, "T"));
  EXPECT_EQ(r.iim[col::ObjectName], "T");
  EXPECT_EQ(r.iim[col::Customized], "");
}

TEST(IimDecoder, DecodesWindows1252UnlessRecordOneDeclaresUtf8) {
  EXPECT_EQ(Decode(Iim(5, "caf\xE9")).iim[col::ObjectName], "caf\xC3\xA9");
  EXPECT_EQ(Decode(Iim(5, "caf\xC3\xA9")).iim[col::ObjectName], "caf\xC3\x83\xC2\xA9");  // UTF-8 read as 1252
  EXPECT_EQ(Decode(Dataset(1, 90, "\x1B%G") + Iim(5, "caf\xC3\xA9")).iim[col::ObjectName], "caf\xC3\xA9");
  EXPECT_EQ(Decode(Dataset(1, 90, "\x1B%G") + Iim(5, "caf\xE9")).iim[col::ObjectName], "caf");
  EXPECT_EQ(Decode(Dataset(1, 90, "\x1B-A") + Iim(5, "caf\xE9")).iim[col::ObjectName], "caf\xC3\xA9");
}

TEST(IimDecoder, StopsAtADatasetCutOffByTheEndOfTheFileAndKeepsWhatWasRead) {
  const std::string datasets = Iim(5, "kept") + Iim(120, "a caption that the file cuts short");
  const std::string file = datasets.substr(0, datasets.size() - 10);
  MetadataRecord record;
  DecodeIim(AsBytes(file), IimBlock{0, datasets.size()}, record);
  EXPECT_EQ(record.iim[col::ObjectName], "kept");
  EXPECT_EQ(record.iim[col::Caption], "");
  ASSERT_EQ(record.problems.size(), 1u);
  EXPECT_NE(record.problems[0].find("2:120"), std::string::npos);

  MetadataRecord headerCut;
  const std::string shortHeader = Iim(5, "kept") + std::string("\x1C\x02\x78\x00", 4);
  DecodeIim(AsBytes(shortHeader), IimBlock{0, 100}, headerCut);
  EXPECT_EQ(headerCut.iim[col::ObjectName], "kept");
  EXPECT_EQ(headerCut.problems.size(), 1u);
}

TEST(IimDecoder, AcceptsACutValueWhoseTextEndsAtAZeroByteInsideTheFile) {
  const std::string datasets = Iim(5, std::string("ok\0and more bytes", 17));
  MetadataRecord record;
  DecodeIim(AsBytes(datasets.substr(0, 10)), IimBlock{0, datasets.size()}, record);
  EXPECT_EQ(record.iim[col::ObjectName], "ok");
  EXPECT_TRUE(record.problems.empty());
}

TEST(IimDecoder, ReadsOnlyTheBlockItIsGiven) {
  const MetadataRecord r = Decode(Iim(5, "in"), Iim(105, "before"), "xx" + Iim(105, "after"));
  EXPECT_EQ(r.iim[col::ObjectName], "in");
  EXPECT_EQ(r.iim[col::Headline], "");
}

}  // namespace
}  // namespace tessarine
