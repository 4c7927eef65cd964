// The verify browser and the consistency check against each real database: rows browsed as the
// scan wrote them, and a scanned tree changed on disk afterwards, checked and cleaned up.

#include <cstdlib>
#include <regex>

#include "core/SearchFolding.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/verify/VerifyBrowser.h"

namespace tessarine {
namespace {

using namespace test;
using Pairs = std::set<std::pair<std::string, std::string>>;

template <class Entries>
Pairs AsPairs(const Entries& entries) {
  Pairs pairs;
  for (const auto& e : entries) pairs.emplace(e.folder, e.file);
  return pairs;
}

int UnreadablePhotos(std::string_view call, std::string_view path) {
  return call == "opendir" && path.ends_with("it's photos/") ? EACCES : 0;
}

using VerifyOnDatabase = CatalogueFixture;
TESSARINE_ON_EVERY_DATABASE(VerifyOnDatabase);

TEST_P(VerifyOnDatabase, BrowserPagesWithinTheRowCountAndShowsFieldsInBothModes) {
  for (int i = 1; i <= 25; ++i) Insert("/b/", "f" + std::to_string(i), {{col::Checked, "0"}});
  connection.SendStatement("insert into " + m_settings.images +
                           " (Folder,FileName,ModifyTime,Keywords,Contact) values ('/b/','nul',1,'   ',' lead');");

  VerifyBrowser browser(port);
  const DataSource source = Db().userDsn;
  auto view =
      browser.RunQuery(source, Dialect().FirstRowsQuery(ValidName(m_settings.images)), DisplayFields::NonEmptyOnly);
  ASSERT_TRUE(view) << DescribeMessages() << port.LastStatus();
  EXPECT_EQ(view->label, "Result 1/20");
  // Another operation opening and closing its connection leaves the browser's rows alone.
  Open();
  connection.CloseConnection();
  // Twenty different rows, one per move.
  std::set<std::string> shown{view->text};
  for (int i = 1; i < 20; ++i) shown.insert(browser.Move(VerifyMove::Next, DisplayFields::All)->text);
  EXPECT_EQ(shown.size(), 20u);
  struct Step {
    VerifyMove move;
    std::optional<std::string> label;  // nothing: the move is refused by its bound
  };
  const Step steps[] = {{VerifyMove::Next, {}},           {VerifyMove::Last, {}},
                        {VerifyMove::First, "Result 1/20"}, {VerifyMove::First, {}},
                        {VerifyMove::Previous, {}},       {VerifyMove::Next, "Result 2/20"},
                        {VerifyMove::Last, "Result 20/20"}, {VerifyMove::Previous, "Result 19/20"}};
  for (const Step& step : steps) {
    const auto moved = browser.Move(step.move, DisplayFields::NonEmptyOnly);
    EXPECT_EQ(moved ? moved->label : std::nullopt, step.label) << static_cast<int>(step.move);
  }

  // An edited query: null, blank and leading-blank values in both modes.
  const std::string edited =
      "select Folder, FileName, Caption, Keywords, Contact from " + m_settings.images + " where FileName='nul';";
  view = browser.RunQuery(source, edited, DisplayFields::NonEmptyOnly);
  ASSERT_TRUE(view);
  EXPECT_EQ(FoldForSearch(view->text), "folder=/b/\r\nfilename=nul\r\ncontact= lead\r\n");
  EXPECT_EQ(view->label, "Result 1/1");
  view = browser.RunQuery(source, edited, DisplayFields::All);
  EXPECT_EQ(FoldForSearch(view->text), "folder=/b/\r\nfilename=nul\r\ncaption=\r\nkeywords=   \r\ncontact= lead\r\n");

  // No rows: "No lines", the caption left as it was.
  view = browser.RunQuery(source, "select * from " + m_settings.images + " where FileName='none';",
                          DisplayFields::All);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->text, "No lines");
  EXPECT_FALSE(view->label);
  EXPECT_FALSE(browser.Move(VerifyMove::Next, DisplayFields::All));

  // A refused query: "Error " in the status line and a beep, no message box.
  EXPECT_TRUE(browser.RunQuery(source, "select * from no_such_table_here;", DisplayFields::All).Is(ErrorKind::Database));
  EXPECT_EQ(port.LastStatus().rfind("Error ", 0), 0u) << port.LastStatus();
  EXPECT_EQ(port.events, std::vector<std::string>{"beep"});
  EXPECT_FALSE(browser.Move(VerifyMove::Next, DisplayFields::All));
}

TEST_P(VerifyOnDatabase, CheckListsExactlyTheMissingRowsAndFilesAndDeletesOnlyWhenAsked) {
  const auto sub = m_root / "sub";
  const auto gone = m_root / "gone";
  const auto other = m_tree.path() / "other";
  for (const auto& d : {sub, gone, other}) std::filesystem::create_directories(d);
  for (const auto& file : {m_root / "a.txt", m_root / "O'Brien.txt", m_root / "back\\slash.txt", m_root / "caf\xE9.txt",
                           m_root / "x\\y.txt", sub / "b.txt", gone / "c.txt", gone / "d.txt", other / "e.txt"}) {
    WriteFile(file, file.filename().string());
  }
  std::filesystem::create_symlink(m_root / "a.txt", m_root / "link.txt");
  // An empty folder without rows is nothing to report.
  std::filesystem::create_directories(m_tree.path() / "empty");
  for (const auto& listed : {m_root, other, m_tree.path() / "empty"}) AddAndLoad(listed);
  ScanAll();

  // After the scan: a file removed, a folder removed, a backslash name removed, a folder dropped
  // from the list, a row whose Checked is null; files added, a link among them (which files the
  // walk visits is the quick count's test).
  std::filesystem::remove(sub / "b.txt");
  std::filesystem::remove(m_root / "x\\y.txt");
  std::filesystem::remove_all(gone);
  Open().Send(DeleteFolderRow(ValidName(m_settings.folders), FolderKey::FromPath(other.string())));
  connection.SendStatement("update " + m_settings.images + " set Checked=null where FileName='d.txt'");
  WriteFile(m_root / "new'one.txt", "new");
  WriteFile(m_root / "caf\xE9 2.txt", m_tree.path().string());  // a content of this run's own
  std::filesystem::create_symlink(m_root / "a.txt", m_root / "newlink.txt");

  const std::string root = Text(m_root);
  const Pairs expectedFiles = {{root, "new'one.txt"}, {root, "caf\xC3\xA9 2.txt"}, {root, "newlink.txt"}};
  // The rows of a folder no longer listed are not the check's business: never listed.
  const Pairs expectedLines = {{Text(sub), "b.txt"}, {root, "x\\y.txt"}, {Text(gone), "c.txt"}};

  CheckResult first = Check();
  ASSERT_TRUE(first.status && first.folderErrors == 0 && first.unreachable.empty()) << DescribeMessages();
  EXPECT_EQ(AsPairs(first.filesWithoutLines), expectedFiles);
  EXPECT_EQ(AsPairs(first.linesWithoutFiles), expectedLines);
  EXPECT_TRUE(std::regex_match(first.stamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << first.stamp;
  // Counted: the 5 files of the root left after the removals and 3 new ones; the rows of the 5 stamped.
  EXPECT_EQ(first.files, 8);
  EXPECT_EQ(port.LastStatus().rfind("Total files:8 - Elapsed time: 0 h 0 min ", 0), 0u) << port.LastStatus();
  EXPECT_EQ(Scalar("select count(*) from " + m_settings.images + " where Checked='" + first.stamp + "';"), "5");

  // A second run in the same second still takes a stamp of its own and finds the same.
  CheckResult second = Check();
  EXPECT_NE(second.stamp, first.stamp);
  EXPECT_EQ(AsPairs(second.linesWithoutFiles), expectedLines);
  EXPECT_EQ(AsPairs(second.filesWithoutLines), expectedFiles);

  // No changes nothing.
  port.answerYes = false;
  EXPECT_EQ(DeleteLinesWithoutFiles(connection, port, m_settings, false, second.linesWithoutFiles), 0);
  EXPECT_EQ(DeleteFilesWithoutLines(connection, port, m_settings, false, second.filesWithoutLines), 0);
  EXPECT_EQ(second.linesWithoutFiles.size() + second.filesWithoutLines.size(), 6u);
  ASSERT_GE(port.messages.size(), 2u);
  EXPECT_EQ(port.messages.back().text, "Move 3 files without corresponding lines in images table to the trash?");
  EXPECT_EQ(port.messages[port.messages.size() - 2].text,
            "Delete 3 lines from images table '" + m_settings.images + "'");
  EXPECT_TRUE(std::filesystem::exists(m_root / "new'one.txt"));

  // Yes deletes the listed rows and moves the listed files to the trash (a link as a link), looking
  // again at the moment it acts: a file back on disk keeps its row, a file catalogued since the
  // check stays.
  WriteFile(m_root / "x\\y.txt", "back");
  Insert(root, "new'one.txt");
  port.answerYes = true;
  const auto rowsBefore = std::stoi(Count(m_settings.images));
  EXPECT_EQ(DeleteLinesWithoutFiles(connection, port, m_settings, false, second.linesWithoutFiles), 2);
  EXPECT_EQ(DeleteFilesWithoutLines(connection, port, m_settings, false, second.filesWithoutLines), 2);
  EXPECT_TRUE(second.linesWithoutFiles.empty() && second.filesWithoutLines.empty());
  EXPECT_EQ(std::stoi(Count(m_settings.images)), rowsBefore - 2);
  EXPECT_TRUE(std::filesystem::exists(m_root / "new'one.txt"));
  for (const char* name : {"caf\xE9 2.txt", "newlink.txt"}) {
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_root / name))) << name;
  }
  EXPECT_EQ(ReadFile(m_root / "a.txt"), "a.txt");
  EXPECT_TRUE(std::filesystem::is_symlink(m_root / "link.txt"));
  const std::filesystem::path trash = std::filesystem::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files";
  EXPECT_TRUE(std::any_of(std::filesystem::directory_iterator(trash), {}, [&](const auto& entry) {
    return entry.is_regular_file() && ReadFile(entry.path()) == m_tree.path().string();
  }));

  // Nothing is left to list but the row whose Checked is null, which no run lists.
  const CheckResult third = Check();
  EXPECT_TRUE(third.filesWithoutLines.empty());
  EXPECT_TRUE(third.linesWithoutFiles.empty());
  EXPECT_EQ(Scalar("select count(*) from " + m_settings.images + " where FileName='d.txt';"), "1");

  // A folder that cannot be read, or is empty (a mount point without its disk), proves nothing: it
  // is reported, and its lines are never offered.
  SetFileSystemFaultHook(UnreadablePhotos);
  const CheckResult unreadable = Check();
  SetFileSystemFaultHook(nullptr);
  EXPECT_TRUE(unreadable.status);
  EXPECT_EQ(unreadable.unreachable, std::vector<std::string>{root});
  std::filesystem::rename(m_root, m_tree.path() / "elsewhere");
  std::filesystem::create_directories(m_root);
  const CheckResult empty = Check();
  EXPECT_EQ(empty.unreachable, std::vector<std::string>{root});
  EXPECT_NE(port.LastStatus().find("1 folder could not be read"), std::string::npos) << port.LastStatus();
  EXPECT_TRUE(empty.linesWithoutFiles.empty());
}

TEST_P(VerifyOnDatabase, CancelStopsTheWalkAndSkipsTheRowQueryAndErrorsEndOnlyTheirFolder) {
  for (const char* folder : {"one", "two"}) {
    std::filesystem::create_directories(m_root / folder);
    WriteFile(m_root / folder / "1.txt", "1");
    WriteFile(m_root / folder / "2.txt", "2");
    AddAndLoad(m_root / folder);
  }
  ScanAll();
  std::filesystem::remove(m_root / "two" / "2.txt");  // a row without its file, not listed when cancelled
  WriteFile(m_root / "two" / "3.txt", "3");
  std::filesystem::remove(m_root / "one" / "1.txt");
  std::filesystem::remove(m_root / "one" / "2.txt");
  WriteFile(m_root / "one" / "new.txt", "new");  // found before the cancel

  CheckHooks hooks;
  std::vector<std::string> progress;
  hooks.progress = [&](const std::string& line) { progress.push_back(line); };
  hooks.cancelRequested = [&] { return !progress.empty(); };
  const CheckResult cancelled = Check(hooks);
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_EQ(cancelled.files, 1);
  EXPECT_EQ(AsPairs(cancelled.filesWithoutLines), (Pairs{{Text(m_root / "one"), "new.txt"}}));
  EXPECT_TRUE(cancelled.linesWithoutFiles.empty());
  EXPECT_EQ(progress.front(), "1 -> " + Text(m_root / "one") + "new.txt");
  EXPECT_EQ(progress.back(), "");
  EXPECT_EQ(port.LastStatus().rfind("Total files:1 - Elapsed time: ", 0), 0u) << port.LastStatus();

  // A refused statement ends its folder with a report; the next folder is still walked; then the
  // row query fails: "Error ..." in the status line.
  m_settings.images = "no_such_images_table";
  const auto messages = port.messages.size();
  const CheckResult failed = Check();
  EXPECT_EQ(failed.folderErrors, 2);
  EXPECT_EQ(port.messages.size(), messages + 2);
  EXPECT_TRUE(failed.status.Is(ErrorKind::Database));
  EXPECT_EQ(port.LastStatus().rfind("Error ", 0), 0u) << port.LastStatus();
}

}  // namespace
}  // namespace tessarine
