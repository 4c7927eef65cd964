#include "xmpcustom/CustomXmpCheck.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

// One defined schema that passes every check; tests break one thing at a time.
CustomXmpDefinition ValidBoxes() {
  CustomXmpDefinition boxes;
  CustomXmpSchema& schema = boxes.schemas[0];
  schema.description = "Studio";
  schema.ns = "http://ns.example.com/studio/1.0/";
  schema.prefix = "studio";
  schema.properties[0] = {"Shoot", "XMPCustom01"};
  schema.properties[1] = {"Client", "XMPCustom02"};
  return boxes;
}

std::string MessageOf(const CustomXmpDefinition& boxes) { return CheckCustomXmpBoxes(boxes).message; }

TEST(CustomXmpCheck, ValidDefinitionsPassAndListTheirBoundRowsSorted) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[3] = {"Archive", "http://ns.example.com/archive#", "arc", {}};
  boxes.schemas[3].properties[4] = {"Box", "XMPCustom100"};
  const CustomXmpCheckResult result = CheckCustomXmpBoxes(boxes);
  EXPECT_TRUE(result.Passed());
  EXPECT_EQ(result.controlEntries,
            (std::vector<std::string>{"arc:XMPCustom100", "studio:XMPCustom01", "studio:XMPCustom02"}));
}

TEST(CustomXmpCheck, NamespaceMustBeNonEmptyWithoutBlanks) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].ns = "";
  EXPECT_EQ(MessageOf(boxes), "InvalidName: Name Space -> ");
  boxes.schemas[0].ns = "http://ns.example.com/my studio/";
  EXPECT_EQ(MessageOf(boxes), "InvalidName: Name Space -> http://ns.example.com/my studio/");
}

TEST(CustomXmpCheck, NamespaceMustEndInSlashOrHash) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].ns = "http://ns.example.com/studio";
  EXPECT_EQ(MessageOf(boxes), "NameSpace must end in '/' or '#': Name Space -> http://ns.example.com/studio");
  boxes.schemas[0].ns += "#";
  EXPECT_TRUE(CheckCustomXmpBoxes(boxes).Passed());
  boxes.schemas[0].ns.back() = '/';
  EXPECT_TRUE(CheckCustomXmpBoxes(boxes).Passed());
}

TEST(CustomXmpCheck, ReservedEmptyOrBlankPrefixesAreRefusedCaseSensitively) {
  CustomXmpDefinition boxes = ValidBoxes();
  for (std::string_view reserved : kReservedPrefixes) {
    boxes.schemas[0].prefix = std::string(reserved);
    EXPECT_EQ(MessageOf(boxes), "Invalid Name: Prefix -> " + std::string(reserved));
  }
  for (const char* bad : {"", "my prefix"}) {
    boxes.schemas[0].prefix = bad;
    EXPECT_EQ(MessageOf(boxes), "Invalid Name: Prefix -> " + std::string(bad));
  }
  for (const char* accepted : {"DC", "Photoshop", "xapGImg"}) {
    boxes.schemas[0].prefix = accepted;
    EXPECT_TRUE(CheckCustomXmpBoxes(boxes).Passed()) << accepted;
  }
}

TEST(CustomXmpCheck, APropertyWithoutColumnNamesTheSlotOnItsFirstLine) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].properties[5] = {"Rating", ""};
  EXPECT_EQ(MessageOf(boxes), "Rating\nInvalid Name: Database Field name -> ");
  boxes.schemas[0].properties[5].dbFieldName = "XMPCustom 05";
  EXPECT_EQ(MessageOf(boxes), "Rating\nInvalid Name: Database Field name -> XMPCustom 05");
}

TEST(CustomXmpCheck, AColumnWithoutPropertyIsRefused) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].properties[9] = {"", "XMPCustom09"};
  EXPECT_EQ(MessageOf(boxes), "Invalid Name: Database Field name -> XMPCustom09");
}

TEST(CustomXmpCheck, TheSameColumnTwiceUnderOnePrefixIsADuplicate) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].properties[2] = {"Agency", "XMPCustom01"};
  EXPECT_EQ(MessageOf(boxes), "Duplicate Name: studio:XMPCustom01");

  // Under another prefix the same column is not caught by this test.
  CustomXmpDefinition other = ValidBoxes();
  other.schemas[1] = {"Other", "http://ns.example.com/other/", "oth", {}};
  other.schemas[1].properties[0] = {"Agency", "XMPCustom01"};
  EXPECT_TRUE(CheckCustomXmpBoxes(other).Passed());
}

TEST(CustomXmpCheck, SchemasWithoutDescriptionAreNotChecked) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[4] = {"", "no slash", "dc", {}};
  boxes.schemas[4].properties[0] = {"Orphan", ""};
  EXPECT_TRUE(CheckCustomXmpBoxes(boxes).Passed());
  // A description of blanks counts as a description.
  boxes.schemas[4].description = " ";
  EXPECT_EQ(MessageOf(boxes), "InvalidName: Name Space -> no slash");
}

TEST(CustomXmpCheck, ChecksStopAtTheFirstFailureInSchemaOrder) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[0].properties[3] = {"", "XMPCustom04"};  // row failure in schema 1
  boxes.schemas[0].prefix = "x";                         // prefix failure, checked before rows
  boxes.schemas[2] = {"Third", "", "t", {}};              // a later schema's failure
  EXPECT_EQ(MessageOf(boxes), "Invalid Name: Prefix -> x");
  boxes.schemas[0].prefix = "studio";
  EXPECT_EQ(MessageOf(boxes), "Invalid Name: Database Field name -> XMPCustom04");
  boxes.schemas[0].properties[3] = {};
  EXPECT_EQ(MessageOf(boxes), "InvalidName: Name Space -> ");
}

}  // namespace
}  // namespace tessarine
