// The custom XMP editor's rules: its column boxes, the column chooser, the check of a definition,
// the summary, and the fields the parser passes over.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "support/RecordingUserPort.h"
#include "workflows/xmpcustom/ColumnChooser.h"
#include "workflows/xmpcustom/CustomXmpCheck.h"
#include "workflows/xmpcustom/CustomXmpColumns.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"
#include "workflows/xmpcustom/UncollectedCustomFields.h"

namespace tessarine {
namespace {

constexpr const char* kNs = "http://ns.example.com/studio/1.0/";

// A box shows "XMPCustom" and the number; the definition keeps what follows the box's first nine
// characters, whatever they are. The other texts stay as typed.
TEST(CustomXmpColumns, TheBoxesShowTheFullColumnNameAndTheDefinitionKeepsItsNumber) {
  CustomXmpDefinition definition;
  definition.schemas[2] = {"Studio ", " http://ns.example.com/s/", "s", {}};
  definition.schemas[2].properties[9] = {"Shoot", "100"};
  definition.schemas[2].properties[0] = {"Empty", ""};
  const CustomXmpDefinition shown = BoxesFromDefinition(definition);
  EXPECT_EQ(ColumnBoxesOf(shown)[RowIndex(2, 9)], "XMPCustom100");
  EXPECT_EQ(ColumnBoxesOf(shown)[RowIndex(2, 0)], "");
  const CustomXmpDefinition back = DefinitionFromBoxes(shown);
  EXPECT_EQ(back.schemas[2].properties[9].dbFieldName, "100");
  EXPECT_EQ(back.schemas[2].ns, " http://ns.example.com/s/");
  EXPECT_EQ(ColumnNumberOf("ColumnNo:12"), "12");
  EXPECT_EQ(ColumnNumberOf("XMPCustom"), "");
}

// Each case: the column boxes, the row whose chooser opens, and what the chooser shows. `odd` lists
// the options in the minority state: the disabled ones when most are enabled, else the enabled ones.
TEST(ColumnChooser, SelectsTheRowsColumnBlocksOtherRowsColumnsAndGivesANewPropertyTheFirstFree) {
  const struct {
    std::vector<std::pair<int, const char*>> boxes;
    bool allBound;  // first every row its own column, then the boxes above
    int row;
    bool named;
    int selected;
    bool bindsAtOnce;
    std::set<int> odd;
  } cases[] = {
      {{{RowIndex(0, 4), "XMPCustom05"}, {RowIndex(0, 0), "XMPCustom01"}, {RowIndex(7, 3), "XMPCustom100"}},
       false, RowIndex(0, 4), true, 4, false, {0, 99}},
      {{{RowIndex(2, 0), "XMPCustom01"}, {RowIndex(5, 9), "XMPCustom02"}, {RowIndex(1, 1), "XMPCustom04"}},
       false, RowIndex(0, 0), true, 2, true, {0, 1, 3}},
      {{{RowIndex(0, 1), "XMPCustom01"}}, false, RowIndex(0, 0), false, -1, false, {0}},
      // Column "34" sits elsewhere twice and "100" is taken too: "35" is the one free column.
      {{{RowIndex(3, 3), ""}, {RowIndex(3, 4), "XMPCustom100"}, {RowIndex(9, 9), "XMPCustom34"}},
       true, RowIndex(3, 3), true, 34, true, {34}},
      // The row's own column typed on another row too: shown selected, yet blocked.
      {{{RowIndex(3, 3), "XMPCustom34"}, {RowIndex(3, 4), "XMPCustom35"}, {RowIndex(9, 9), "XMPCustom34"}},
       true, RowIndex(3, 3), true, 33, false, {99}},
      // Compared from the tenth character: "7" is not "07"; any first nine characters block "08".
      {{{1, "XMPCustom7"}, {2, "xmpcustom08"}}, false, 0, false, -1, false, {7}},
  };
  for (const auto& c : cases) {
    std::array<std::string, kCustomRowCount> boxes;
    for (int row = 0; c.allBound && row < kCustomRowCount; ++row) boxes[row] = ColumnBoxText(ColumnOptionCaption(row));
    for (const auto& [row, text] : c.boxes) boxes[row] = text;
    const ColumnChooserState state = OpenColumnChooser(boxes, c.row, c.named);
    EXPECT_EQ(state.selected, c.selected) << c.row;
    EXPECT_EQ(state.bindsAtOnce, c.bindsAtOnce) << c.row;
    const bool mostly = std::count(state.enabled.begin(), state.enabled.end(), true) >= 50;
    std::set<int> odd;
    for (int option = 0; option < kCustomRowCount; ++option) {
      if (state.enabled[option] != mostly) odd.insert(option);
    }
    EXPECT_EQ(odd, c.odd) << c.row;
  }
}

TEST(CustomXmpCheck, AValidDefinitionListsItsBoundRowsSortedAndEachBrokenBoxIsNamed) {
  const auto valid = [] {
    CustomXmpDefinition boxes;
    boxes.schemas[0] = {"Studio", "http://ns.example.com/studio/1.0/", "studio", {}};
    boxes.schemas[0].properties[0] = {"Shoot", "XMPCustom01"};
    boxes.schemas[0].properties[1] = {"Client", "XMPCustom02"};
    return boxes;
  };
  CustomXmpDefinition boxes = valid();
  boxes.schemas[3] = {"Archive", "http://ns.example.com/archive#", "arc", {}};
  boxes.schemas[3].properties[4] = {"Box", "XMPCustom100"};
  const CustomXmpCheckResult result = CheckCustomXmpBoxes(boxes);
  EXPECT_TRUE(result.Passed()) << result.message;
  EXPECT_EQ(result.controlEntries,
            (std::vector<std::string>{"arc:XMPCustom100", "studio:XMPCustom01", "studio:XMPCustom02"}));

  using Change = std::function<void(CustomXmpDefinition&)>;
  const auto prefix = [](std::string p) { return Change([p](CustomXmpDefinition& d) { d.schemas[0].prefix = p; }); };
  const std::pair<Change, std::string> cases[] = {
      {[](auto& d) { d.schemas[0].ns = ""; }, "Invalid Name: Namespace -> "},
      {[](auto& d) { d.schemas[0].ns = "http://ns.example.com/my studio/"; },
       "Invalid Name: Namespace -> http://ns.example.com/my studio/"},
      {[](auto& d) { d.schemas[0].ns = "http://ns.example.com/studio"; },
       "A namespace must end in '/' or '#': Namespace -> http://ns.example.com/studio"},
      // A property without a column is told how to get one; a column box that names none names the
      // property on a first line of its own.
      {[](auto& d) { d.schemas[0].properties[5] = {"Rating", ""}; }, "Press Select to choose a column for Rating"},
      {[](auto& d) { d.schemas[0].properties[5] = {"Rating", "XMPCustom 05"}; },
       "Rating\nInvalid Name: Database Field name -> XMPCustom 05"},
      {[](auto& d) { d.schemas[0].properties[9] = {"", "XMPCustom09"}; },
       "Invalid Name: Database Field name -> XMPCustom09"},
      {[](auto& d) { d.schemas[0].properties[2] = {"Agency", "XMPCustom01"}; }, "Duplicate Name: studio:XMPCustom01"},
      {prefix(""), "Invalid Name: Prefix -> "},
      {prefix("my prefix"), "Invalid Name: Prefix -> my prefix"},
      {prefix("photoshop"), "Invalid Name: Prefix -> photoshop"},
      {prefix("DC"), ""},  // reserved prefixes are compared with their case
      // The same column under another prefix is no duplicate.
      {[](auto& d) {
         d.schemas[1] = {"Other", "http://ns.example.com/other/", "oth", {}};
         d.schemas[1].properties[0] = {"Agency", "XMPCustom01"};
       },
       ""},
      // A schema without description is not checked; a description of blanks is one.
      {[](auto& d) { d.schemas[4] = {"", "no slash", "dc", {{{"Orphan", ""}}}}; }, ""},
      {[](auto& d) { d.schemas[4] = {" ", "no slash", "dc", {{{"Orphan", ""}}}}; },
       "Invalid Name: Namespace -> no slash"},
      // The first failure in schema order, the prefix checked before the rows.
      {[](auto& d) {
         d.schemas[0].properties[3] = {"", "XMPCustom04"};
         d.schemas[0].prefix = "x";
         d.schemas[2] = {"Third", "", "t", {}};
       },
       "Invalid Name: Prefix -> x"},
      {[](auto& d) {
         d.schemas[0].properties[3] = {"", "XMPCustom04"};
         d.schemas[2] = {"Third", "", "t", {}};
       },
       "Invalid Name: Database Field name -> XMPCustom04"},
  };
  for (const auto& [change, message] : cases) {
    CustomXmpDefinition broken = valid();
    change(broken);
    EXPECT_EQ(CheckCustomXmpBoxes(broken).message, message);
  }
}

TEST(CustomXmpSummary, CountsNamedPropertiesAndDistinctNamespacesExactly) {
  CustomXmpDefinition definition;
  // A column without a property name is no field, whatever its schema holds.
  definition.schemas[0] = {"Studio", "http://ns.example.com/a/", "s", {}};
  definition.schemas[0].properties[0].dbFieldName = "01";
  EXPECT_EQ(CustomXmpSummary(definition), "No custom fields defined");
  definition.schemas[0].properties[0].xmpFieldName = "one";
  definition.schemas[0].properties[9].xmpFieldName = "two";
  definition.schemas[5].ns = "http://ns.example.com/a/";  // shared: counted once
  definition.schemas[5].properties[3].xmpFieldName = "three";
  definition.schemas[9].ns = "http://ns.example.com/A/";  // another case: another namespace
  EXPECT_EQ(CustomXmpSummary(definition), "Custom fields defined: 3\nXMP Schemas defined: 2");
}

// The warning names every named field the parser passes over (what it collects is IsCollectable's,
// read by the parser's tests): no column, a column that is none of the 100, a name that is no
// plain XML name.
TEST(UncollectedCustomFields, NameEveryNamedFieldTheParserPassesOverInOneMessage) {
  CustomXmpDefinition definition;
  definition.schemas[0] = {"Studio", kNs, "studio", {}};
  auto& slots = definition.schemas[0].properties;
  slots[0] = {"Shoot", "01"};
  test::RecordingUserPort port;
  WarnOfUncollectedCustomFields(port, definition);
  EXPECT_TRUE(port.messages.empty());

  slots[1] = {"ClientName", "e"};     // typed "ClientName" into the column box of an older editor
  slots[2] = {"Agency", "101"};       // past the last column
  slots[3] = {"Budget", ""};          // no column at all
  slots[4] = {"1stAssistant", "04"};  // no XPath step can start with a digit
  slots[5] = {"Desk", "100"};
  slots[6] = {"", "07"};  // a column without a name: nothing to collect, nothing to say
  // A schema without a description is a draft, not read into warnings.
  definition.schemas[1] = {"", kNs, "studio", {}};
  definition.schemas[1].properties[0] = {"Draft", "x"};
  const std::vector<std::string> lines = UncollectedCustomFields(definition);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "Custom XMP field 'ClientName' (schema #1, field #2): the stored column 'e' is not one of 01 to 100 "
            "(XMPCustom01 to XMPCustom100)");
  EXPECT_NE(lines[1].find("'Agency' (schema #1, field #3): the stored column '101'"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("'Budget' (schema #1, field #4): no database column"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("'1stAssistant' (schema #1, field #5): the name"), std::string::npos) << lines[3];
  WarnOfUncollectedCustomFields(port, definition);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  for (const std::string& line : lines) EXPECT_NE(port.messages[0].text.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace tessarine
