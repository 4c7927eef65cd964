// The pieces of the catalogue view that need no database: its columns and titles, the dates and
// words a search takes, and the CSV form of a field.

#include <gtest/gtest.h>

#include "core/ImageColumns.h"
#include "workflows/browse/CsvExport.h"
#include "workflows/browse/SearchFilter.h"
#include "workflows/browse/ViewColumns.h"

namespace tessarine {
namespace {

std::vector<std::string> Titles(const std::vector<ViewColumn>& columns) {
  std::vector<std::string> titles;
  for (const ViewColumn& column : columns) titles.push_back(column.title + "=" + std::string(column.name));
  return titles;
}

TEST(ViewColumns, FixedColumnsThenTheBoundCustomColumnsTitledByTheirProperties) {
  CustomXmpDefinition custom;
  custom.schemas[1].prefix = "cl";
  custom.schemas[1].properties[4] = {"ClientName", "07"};
  custom.schemas[1].properties[5] = {"Shoot", "100"};
  custom.schemas[1].properties[6] = {"", "09"};        // no property: not bound
  custom.schemas[1].properties[7] = {"Broken", "x1"};  // no column number
  custom.schemas[1].properties[8] = {"Zero", "0"};
  custom.schemas[0].properties[0] = {"NoPrefix", "03"};  // its schema has no prefix
  custom.schemas[3].prefix = "ab";
  custom.schemas[3].properties[0] = {"Agency", "2"};
  custom.schemas[3].properties[1] = {"Again", "7"};  // a column already bound keeps its first title

  // The fixed columns, then the bound ones.
  std::vector<std::string> all = Titles(ViewColumnsOf({}));
  ASSERT_EQ(all.size(), 13u);
  for (const char* bound : {"Agency=XMPCustom02", "ClientName=XMPCustom07", "Shoot=XMPCustom100"}) all.push_back(bound);
  const std::vector<ViewColumn> columns = ViewColumnsOf(custom);
  EXPECT_EQ(Titles(columns), all);
  for (const ViewColumn& column : columns) EXPECT_EQ(ImageColumns()[column.column].name, column.name);

  EXPECT_EQ(SearchedColumnsOf(custom),
            (std::vector<std::size_t>{col::Keywords, col::ObjectName, col::Caption, col::Byline, col::City,
                                      col::Country, CustomColumnIndex(2), CustomColumnIndex(7),
                                      CustomColumnIndex(100)}));

  EXPECT_EQ(FindViewColumn(columns, "title"), 2u);
  EXPECT_EQ(FindViewColumn(columns, "OBJECTNAME"), 2u);
  EXPECT_EQ(FindViewColumn(columns, "clientname"), 14u);
  EXPECT_EQ(FindViewColumn(columns, "XMPCustom07"), 14u);
  EXPECT_EQ(FindViewColumn(columns, "Urgency"), std::nullopt);
}

TEST(SearchFilter, DaysAreRealCalendarDaysWrittenYyyyMmDd) {
  EXPECT_EQ(SearchDay::Parse("2024-02-29").value().Digits(), "20240229");
  EXPECT_EQ(SearchDay::Parse("2000-02-29").value().Digits(), "20000229");
  EXPECT_EQ(SearchDay::Parse("1999-12-31").value().Digits(), "19991231");
  for (const char* wrong : {"2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00",
                            "0000-01-01", "2024-1-01", "2024/01/01", "20240101", "2024-01-011", "2024-01-0x",
                            "+024-01-01", ""}) {
    EXPECT_FALSE(SearchDay::Parse(wrong)) << wrong;
  }
  EXPECT_LT(*SearchDay::Parse("2024-01-31"), *SearchDay::Parse("2024-02-01"));
}

TEST(SearchFilter, WordsAreSplitOnBlanks) {
  EXPECT_EQ(SplitWords("  dog\tcat\r\nit's  100%  "), (std::vector<std::string>{"dog", "cat", "it's", "100%"}));
  EXPECT_TRUE(SplitWords(" \t\n").empty());
  EXPECT_EQ(SplitWords("Zürich"), (std::vector<std::string>{"Zürich"}));
}

TEST(CsvExport, FieldsAreQuotedOnlyWhenTheyHoldCommaQuoteOrLineBreak) {
  EXPECT_EQ(CsvField("plain text; Zürich"), "plain text; Zürich");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
  EXPECT_EQ(CsvField("lf\n"), "\"lf\n\"");

  std::ostringstream out;
  WriteCsvRecord(out, {"a", std::nullopt, "", "b,c"});
  EXPECT_EQ(out.str(), "a,,,\"b,c\"\r\n");
}

// A value a spreadsheet would run as a formula gets an apostrophe first, when the record is guarded.
TEST(CsvExport, AGuardedRecordNeutralisesEveryFormulaStart) {
  const std::pair<const char*, const char*> cases[] = {
      {"=SUM(A1)", "'=SUM(A1)"}, {"+1", "'+1"},          {"-1", "'-1"},   {"@cmd", "'@cmd"},
      {"\tx", "'\tx"},           {"\rx", "\"'\rx\""},    {"a=b", "a=b"}, {"", ""},
  };
  for (const auto& [value, field] : cases) {
    std::ostringstream guarded;
    WriteCsvRecord(guarded, {value}, true);
    EXPECT_EQ(guarded.str(), std::string(field) + "\r\n") << value;
    std::ostringstream kept;
    WriteCsvRecord(kept, {value});
    EXPECT_EQ(kept.str(), CsvField(value) + "\r\n") << value;
  }
}

}  // namespace
}  // namespace tessarine
