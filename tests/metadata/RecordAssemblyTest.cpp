#include "metadata/RecordAssembly.h"

#include "metadata/CompanionAssembly.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(RecordAssembly, XmpOverIptcTakesEveryXmpSourcedColumnOfAParsedPacketEvenWhenEmpty) {
  for (XmpState state : {XmpState::Parsed, XmpState::NoPacket, XmpState::ParseError, XmpState::NotSearched}) {
    for (bool xmpOverIptc : {true, false}) {
      SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(state) << ", XMP first " << xmpOverIptc);
      MetadataRecord r;
      r.supportIptc = "1";
      r.xmpState = state;
      r.iim[col::Headline] = "A";
      r.iim[col::Caption] = "iim caption";
      r.iim[col::Contact] = "iim contact";
      r.xmp[col::Caption] = "xmp caption";
      r.xmp[col::CoreCountryCode] = "FRA";
      r.copyrightStatus = state == XmpState::Parsed ? 2 : 0;
      r.custom[4] = "3";
      ColumnValues columns;
      AssembleColumns(r, xmpOverIptc, columns);

      const bool fromXmp = xmpOverIptc && state == XmpState::Parsed;
      EXPECT_EQ(columns[col::Headline], fromXmp ? "" : "A");  // no photoshop:Headline: the IIM one is not kept
      EXPECT_EQ(columns[col::Caption], fromXmp ? "xmp caption" : "iim caption");
      EXPECT_EQ(columns[col::Contact], "iim contact");  // no XMP source
      // The XMP-only columns, the support code and the custom columns, whichever comes first.
      EXPECT_EQ(columns[col::CoreCountryCode], "FRA");
      EXPECT_EQ(columns[col::XMPCopyrightStatus], state == XmpState::Parsed ? "2" : "");
      EXPECT_EQ(columns[col::SupportIPTC], "1");
      EXPECT_EQ(columns[CustomColumnIndex(5)], "3");
    }
  }
}

TEST(RecordAssembly, KeepingIimFillsOnlyTheColumnsThePacketLacks) {
  MetadataRecord r;
  r.xmpState = XmpState::Parsed;
  r.iim[col::City] = "Nice";
  r.iim[col::Caption] = "iim caption";
  r.xmp[col::Caption] = "xmp caption";
  for (bool keep : {false, true}) {
    ColumnValues columns;
    AssembleColumns(r, true, columns, keep);
    EXPECT_EQ(columns[col::City], keep ? "Nice" : "");  // the packet holds no city
    EXPECT_EQ(columns[col::Caption], "xmp caption");     // the packet's value still wins
    AssembleColumns(r, false, columns, keep);
    EXPECT_EQ(columns[col::Caption], "iim caption");     // IIM first: nothing to keep
  }
}

// A date the camera gave for none ("0000:00:00 00:00:00") or that names no moment, and a position
// off the earth, are stored as none: a search by day or place would take them for real ones.
TEST(CompanionAssembly, AMomentOrAPlaceThatCannotBeIsNone) {
  struct Case {
    std::string date;
    double latitude;
    double longitude;
    const char* stored;  // DateTaken|Latitude|Longitude
  };
  const Case cases[] = {
      {"2024-05-01 10:20:30", -59.5, -179.5, "2024-05-01 10:20:30|-59.5|-179.5"},
      {"0000-00-00 00:00:00", 91, 10, "||"},
      {"2024-13-01 10:20:30", 10, 181, "||"},
      {"2024-05-01 24:00:00", 90, 180, "|90|180"},
      {"2023-02-29 10:00:00", 0, 0, "|0|0"},
      {"2024-05-01", 0, 0, "|0|0"},
  };
  for (const Case& c : cases) {
    MetadataRecord structure;
    structure.exif.dateTaken = c.date;
    structure.exif.subSecondsTaken = "5";
    structure.exif.latitude = c.latitude;
    structure.exif.longitude = c.longitude;
    const FactValues facts = BuildCompanionRow(MetadataRecord(), &structure).facts;
    EXPECT_EQ(facts[fact::DateTaken] + "|" + facts[fact::Latitude] + "|" + facts[fact::Longitude], c.stored) << c.date;
    EXPECT_EQ(facts[fact::SubSecTaken].empty(), facts[fact::DateTaken].empty());
  }
}

// A file's keywords: each once (a flat one from both IIM and dc:subject, a level two paths share),
// trimmed, every level of a hierarchy with its last part as leaf, empty parts left out; bounded in
// bytes (at a character's boundary), in depth and in number.
TEST(CompanionAssembly, EachKeywordAndEachLevelOnce) {
  using Entries = std::vector<KeywordEntry>;
  const std::string longWord = std::string(254, 'a') + "\xC3\xA9";  // the é would pass 255 bytes
  struct Case {
    std::vector<std::string> iim;
    std::vector<std::string> subjects;
    std::vector<std::string> hierarchy;
    Entries expected;
  };
  const std::vector<Case> cases = {
      {{" Oslo ", "dog"}, {"Oslo", "cat"}, {}, {{"Oslo", "Oslo", 0}, {"dog", "dog", 0}, {"cat", "cat", 0}}},
      {{}, {"Oslo"}, {"Places | Norway|Oslo", "Places|Sweden", "|x||"},
       {{"Oslo", "Oslo", 0},
        {"Places", "Places", 1},
        {"Places|Norway", "Norway", 2},
        {"Places|Norway|Oslo", "Oslo", 3},
        {"Places|Sweden", "Sweden", 2},
        {"x", "x", 1}}},
      {{longWord}, {}, {}, {{std::string(254, 'a'), std::string(254, 'a'), 0}}},
  };
  for (const Case& c : cases) {
    MetadataRecord record;
    record.companions.iimKeywords = c.iim;
    record.companions.subjects = c.subjects;
    record.companions.hierarchy = c.hierarchy;
    EXPECT_TRUE(BuildCompanionRow(record, nullptr).keywords == c.expected) << c.expected.size() << " entries";
  }
  MetadataRecord many;
  std::string deep = "0";
  for (int level = 1; level < 40; ++level) deep += "|" + std::to_string(level);
  many.companions.hierarchy = {deep};
  for (int i = 0; i < 1'200; ++i) many.companions.subjects.push_back("k" + std::to_string(i));
  const Entries bounded = BuildCompanionRow(many, nullptr).keywords;
  EXPECT_EQ(bounded.size(), kMaxKeywordEntries);
  EXPECT_EQ(bounded.back().keyword, "k" + std::to_string(kMaxKeywordEntries - 1));
  MetadataRecord hierarchy;
  hierarchy.companions.hierarchy = {deep};
  EXPECT_EQ(BuildCompanionRow(hierarchy, nullptr).keywords.back().depth, 32);
}

}  // namespace
}  // namespace tessarine
