#include "workflows/xmpcustom/CustomXmpCheck.h"

#include <gtest/gtest.h>

#include <functional>

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

// Namespaces ending in "/" and "#" both pass.
TEST(CustomXmpCheck, ValidDefinitionsPassAndListTheirBoundRowsSorted) {
  CustomXmpDefinition boxes = ValidBoxes();
  boxes.schemas[3] = {"Archive", "http://ns.example.com/archive#", "arc", {}};
  boxes.schemas[3].properties[4] = {"Box", "XMPCustom100"};
  const CustomXmpCheckResult result = CheckCustomXmpBoxes(boxes);
  EXPECT_TRUE(result.Passed());
  EXPECT_EQ(result.controlEntries,
            (std::vector<std::string>{"arc:XMPCustom100", "studio:XMPCustom01", "studio:XMPCustom02"}));
}

TEST(CustomXmpCheck, EachBrokenBoxIsNamedInTheMessage) {
  const struct {
    std::function<void(CustomXmpSchema&)> breakIt;
    std::string_view message;
  } rows[] = {
      {[](CustomXmpSchema& s) { s.ns = ""; }, "InvalidName: Name Space -> "},
      {[](CustomXmpSchema& s) { s.ns = "http://ns.example.com/my studio/"; },
       "InvalidName: Name Space -> http://ns.example.com/my studio/"},
      {[](CustomXmpSchema& s) { s.ns = "http://ns.example.com/studio"; },
       "NameSpace must end in '/' or '#': Name Space -> http://ns.example.com/studio"},
      // A property without column names the property on a first line of its own.
      {[](CustomXmpSchema& s) { s.properties[5] = {"Rating", ""}; }, "Rating\nInvalid Name: Database Field name -> "},
      {[](CustomXmpSchema& s) { s.properties[5] = {"Rating", "XMPCustom 05"}; },
       "Rating\nInvalid Name: Database Field name -> XMPCustom 05"},
      {[](CustomXmpSchema& s) { s.properties[9] = {"", "XMPCustom09"}; },
       "Invalid Name: Database Field name -> XMPCustom09"},
      {[](CustomXmpSchema& s) { s.properties[2] = {"Agency", "XMPCustom01"}; }, "Duplicate Name: studio:XMPCustom01"},
  };
  for (const auto& row : rows) {
    CustomXmpDefinition boxes = ValidBoxes();
    row.breakIt(boxes.schemas[0]);
    EXPECT_EQ(MessageOf(boxes), row.message);
  }
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

TEST(CustomXmpCheck, TheSameColumnUnderAnotherPrefixIsNoDuplicate) {
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
