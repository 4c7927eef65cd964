#include "metadata/RecordAssembly.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

MetadataRecord IimAndXmp(XmpState state) {
  MetadataRecord r;
  r.supportIptc = "1";
  r.xmpState = state;
  r.iim[col::Headline] = "A";
  r.iim[col::Caption] = "iim caption";
  r.iim[col::Contact] = "iim contact";
  r.xmp[col::Caption] = "xmp caption";
  r.xmp[col::CoreCountryCode] = "FRA";
  r.copyrightStatus = 2;
  r.custom[4] = "3";
  return r;
}

TEST(RecordAssembly, XmpOverIptcTakesEveryXmpSourcedColumnEvenWhenEmpty) {
  ColumnValues columns;
  AssembleColumns(IimAndXmp(XmpState::Parsed), true, columns);
  EXPECT_EQ(columns[col::Headline], "");  // no photoshop:Headline: the IIM headline is not kept
  EXPECT_EQ(columns[col::Caption], "xmp caption");
  EXPECT_EQ(columns[col::Contact], "iim contact");  // no XMP source
  EXPECT_EQ(columns[col::CoreCountryCode], "FRA");
  EXPECT_EQ(columns[col::XMPCopyrightStatus], "2");
  EXPECT_EQ(columns[col::SupportIPTC], "1");
  EXPECT_EQ(columns[CustomColumnIndex(5)], "3");
}

TEST(RecordAssembly, IptcFirstKeepsIimValuesAndStillTakesXmpOnlyColumns) {
  ColumnValues columns;
  AssembleColumns(IimAndXmp(XmpState::Parsed), false, columns);
  EXPECT_EQ(columns[col::Headline], "A");
  EXPECT_EQ(columns[col::Caption], "iim caption");
  EXPECT_EQ(columns[col::CoreCountryCode], "FRA");
}

TEST(RecordAssembly, AFileWithoutAParsedPacketKeepsItsIimValues) {
  for (XmpState state : {XmpState::NoPacket, XmpState::ParseError, XmpState::NotSearched}) {
    MetadataRecord r = IimAndXmp(state);
    r.xmp = ColumnValues();
    r.copyrightStatus = 0;
    ColumnValues columns;
    AssembleColumns(r, true, columns);
    EXPECT_EQ(columns[col::Headline], "A");
    EXPECT_EQ(columns[col::Caption], "iim caption");
    EXPECT_EQ(columns[col::XMPCopyrightStatus], "");
  }
}

TEST(RecordAssembly, ExactlyTwentyOneColumnsHaveAnXmpSource) {
  int count = 0;
  for (std::size_t c = 0; c < kImageColumnCount; ++c) count += HasXmpSource(c) ? 1 : 0;
  EXPECT_EQ(count, 21);
  EXPECT_TRUE(HasXmpSource(col::Location));
  EXPECT_FALSE(HasXmpSource(col::CountryCode));
}

}  // namespace
}  // namespace tessarine
