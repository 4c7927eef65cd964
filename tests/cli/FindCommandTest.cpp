// tessarine find and audit, run as a user would on an SQLite file data source: their lines, the CSV,
// their exit statuses and their errors. What the words, folders and dates match is SearchOn's, what a CSV field
// becomes CsvExport's.

#include <gtest/gtest.h>

#include "core/IniFile.h"
#include "support/SqliteCatalogue.h"
#include "support/ToolProcess.h"

namespace tessarine::test {
namespace {

class FindCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini, "Images=Pics\n[XMPCustomized]\nPrefix1=cl\nXMPFieldName1_1=ClientName\nDBFieldName1_1=07\n");
    ASSERT_EQ(CreateSqliteCatalogue(ini), "");
    connection.OpenConnection(DataSourceOf(LoadSettings(ini), true));
  }

  // Rows of (folder, file, title, keywords, date, the bound custom column).
  void Insert(const std::string& values) {
    connection.SendStatement("insert into Pics(Folder, FileName, ObjectName, Keywords, CreatedDate, XMPCustom07, "
                             "ModifyTime) values " + values + ";");
  }

  ToolRun Find(const std::string& arguments, ToolStderr err = ToolStderr::Drop) {
    return RunTool(TESSARINE_EXECUTABLE, "find " + arguments + " -s '" + ini.string() + "'", err);
  }

  TempDir folder;
  std::filesystem::path ini = folder / "Tessarine PRO.ini";
  CatalogueConnection connection;
};

TEST_F(FindCommand, PrintsOnePathPerMatchWithItsTitleOrTheViewAsCsvAndExitsLikeGrep) {
  // "odd\name.jpg" as a scan stores it; a title with a tab and a line break.
  Insert("('/photos/a/', 'dog.jpg', 'Rex', 'dog; park', '', 'Acme', 1),"
         "('/photos/a/', 'cat.jpg', '', 'cat; Dog', '', '', 1),"
         "('/photos/ab/', 'dog2.jpg', 'Two' || char(9) || 'dogs' || char(10) || 'playing', 'dog', '', '', 1),"
         "('/photos/a/', 'odd\\name.jpg', 'back\\slash', 'dog', '', '', 1),"
         "('/photos/a/', 'bird.jpg', 'Tweety', 'bird', '2024-05-01', '', 1)");
  connection.SendStatement("insert into Pics_keywords values('/photos/a/', 'dog.jpg', 0, 'pets', 'pets', 0);");
  // As CSV: the view's columns, the bound custom one last, without a byte order mark.
  const std::string header =
      "Folder,File,Title,Headline,Caption,Keywords,Byline,City,Country,Date,Width,Height,Copyright,ClientName\r\n";
  const std::pair<const char*, std::string> finds[] = {
      {"DOG",
       "/photos/a/cat.jpg\n/photos/a/dog.jpg\tRex\n/photos/a/odd\\\\name.jpg\tback\\\\slash\n"
       "/photos/ab/dog2.jpg\tTwo\\tdogs\\nplaying\n"},
      {"dog park --folder /photos/a", "/photos/a/dog.jpg\tRex\n"},
      {"dog --folder /photos/a/ --sort title -r",
       "/photos/a/odd\\\\name.jpg\tback\\\\slash\n/photos/a/dog.jpg\tRex\n/photos/a/cat.jpg\n"},
      {"--from 2024-05-01 --to 2024-05-01", "/photos/a/bird.jpg\tTweety\n"},
      {"--keyword pets park", "/photos/a/dog.jpg\tRex\n"},  // one keyword an option, then a word
      {"unicorn", ""},
      {"--keyword pets --csv", header + "/photos/a/,dog.jpg,Rex,,,dog; park,,,,,,,,Acme\r\n"},
      {"unicorn --csv", header}};
  for (const auto& [arguments, out] : finds) {
    const ToolRun run = Find(arguments);
    EXPECT_EQ(run.out, out) << arguments;
    EXPECT_EQ(run.status, out.empty() || out == header ? 1 : 0) << arguments;
  }
}

TEST_F(FindCommand, RefusesWrongArgumentsAndReportsDatabaseErrorsWithStatusTwo) {
  Insert("('/photos/a/', 'dog.jpg', 'Rex', 'dog', '', '', 1)");
  for (const char* wrong : {"--from 2024-02-30", "--to 24-01-01", "--from 2024-05-02 --to 2024-05-01", "--sort Urgency",
                            "--near 91,0,5", "--taken-from 2024-05-02 --taken-to 2024-05-01", "--no-such-option",
                            "--taken-from"}) {
    const ToolRun run = Find(std::string("dog ") + wrong, ToolStderr::Keep);
    EXPECT_EQ(run.status, 2) << wrong;
    EXPECT_EQ(run.out.find("dog.jpg"), std::string::npos) << run.out;
  }
  EXPECT_NE(Find("dog --sort Urgency", ToolStderr::Keep).out.find("Title"), std::string::npos);
  // A table that is not there: the server's error, as every command reports it.
  WriteSqliteSettings(ini, "Images=Missing\n");
  const ToolRun run = Find("dog", ToolStderr::Keep);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("Error "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Missing"), std::string::npos) << run.out;
}

// A search kept by name runs again by it, alone; the names are listed; a name not kept is said.
TEST_F(FindCommand, ASavedSearchRunsAgainByItsName) {
  Insert("('/photos/a/', 'dog.jpg', 'Rex', 'dog; park', '2024-05-01', '', 1), ('/photos/a/', 'cat.jpg', '', 'cat', '', "
         "'', 1)");
  const ToolRun first = Find("dog --from 2024-05-01 --save 'Dogs of May'");
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(Find("--saved 'dogs of may'").out, first.out);
  EXPECT_EQ(Find("--searches").out, "Dogs of May\twords=dog; from=2024-05-01\n");
  // Made a view of the catalogue for other programs.
  EXPECT_EQ(Find("--saved 'dogs of may' --view DogsOfMay").out, first.out);
  EXPECT_EQ(connection.FirstValue("select FileName from DogsOfMay;"), "dog.jpg");
  for (const char* wrong : {"--saved Cats", "--saved 'Dogs of May' cat", "dog --save 'a=b'", "dog --view 'a b'"}) {
    EXPECT_EQ(Find(wrong).status, 2) << wrong;
  }
  EXPECT_EQ(Find("--searches").out.find("a=b"), std::string::npos);
}

// tessarine audit: one line a photo naming the fields it lacks, as text or JSON; the fields from
// --require, else from the settings; 0 when no photo lacks any, 1 when some do, 2 when it cannot
// tell. What counts as lacking is SearchOn's.
TEST_F(FindCommand, AuditListsEachPhotoLackingARequiredFieldWithWhatItLacks) {
  Insert("('/photos/a/', 'full.jpg', 'Full', 'dog', '', '', 1), ('/photos/a/', 'bare.jpg', '', '', '', '', 1),"
         "('/photos/c/', 'titled.jpg', 'Titled', '', '', '', 1)");
  connection.SendStatement("update Pics set Byline = 'Ann', Copyright = '(c)' where FileName = 'full.jpg';");
  connection.SendStatement("insert into Pics_keywords values('/photos/a/', 'full.jpg', 0, 'dog', 'dog', 0);");
  const auto audit = [&](const std::string& arguments) {
    return RunTool(TESSARINE_EXECUTABLE, "audit " + arguments + " -s '" + ini.string() + "'", ToolStderr::Drop);
  };
  struct Case {
    const char* arguments;
    const char* out;
    int status;
  };
  const Case cases[] = {
      {"--require Byline,CopyrightNotice --folder /photos/a", "/photos/a/bare.jpg\tByline, CopyrightNotice\n", 1},
      {"--require 'Keyword Title' --json --folder /photos/a",
       "{\"path\":\"/photos/a/bare.jpg\",\"missing\":[\"Keyword\",\"Title\"]}\n", 1},
      {"--require Title --folder /photos/c", "", 0},
      {"--require Title --folder /photos/b", "", 2},  // nothing there: nothing audited
      {"--require Bylines", "", 2},
      {"", "", 2},  // nothing required anywhere
  };
  for (const Case& c : cases) {
    const ToolRun run = audit(c.arguments);
    EXPECT_EQ(run.out, c.out) << c.arguments;
    EXPECT_EQ(run.status, c.status) << c.arguments;
  }
  ASSERT_TRUE(WriteSetting(ini, "Audit", "Require", "Caption; Keyword"));
  EXPECT_EQ(audit("").out,
            "/photos/a/bare.jpg\tCaption, Keyword\n/photos/a/full.jpg\tCaption\n/photos/c/titled.jpg\tCaption, Keyword\n");
  // A list as long as a setting can be may have lost its end: refused.
  ASSERT_TRUE(WriteSetting(ini, "Audit", "Require", std::string(kMaxSettingLength - 7, ',') + "Caption"));
  EXPECT_EQ(audit("").status, 2);
}

}  // namespace
}  // namespace tessarine::test
