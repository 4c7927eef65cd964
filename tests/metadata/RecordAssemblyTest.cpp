#include "metadata/RecordAssembly.h"

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

}  // namespace
}  // namespace tessarine
