// tessarine db, folders, scan, check and watch, run as a user would on an SQLite file data source and a
// tree of files written by the test: one path through each command, and what the command layer
// adds to the workflows (which folders a scan takes, the options, the outputs, the exit statuses).

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/IniFile.h"
#include "metadata/ImageBytes.h"
#include "support/SqliteCatalogue.h"
#include "support/ToolProcess.h"
#include "support/ValidName.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine::test {
namespace {

using nlohmann::json;

// Each line of the output, as JSON.
std::vector<json> JsonLines(const std::string& out) {
  std::vector<json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

std::string Quoted(const std::filesystem::path& path) { return " '" + path.string() + "'"; }
std::string Text(const std::filesystem::path& folder) { return folder.string() + "/"; }

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini);
    std::filesystem::create_directories(photos / "sub");
    WriteFile(photos / "one.jpg", "x");
    WriteFile(photos / "notes.txt", "not an image");
    WriteFile(photos / "sub" / "two.jpg", "x");
  }

  ToolRun Run(const std::string& command, ToolStderr err = ToolStderr::Keep) const {
    return RunTool(TESSARINE_EXECUTABLE, command + " --settings '" + ini.string() + "'", err);
  }

  // Both tables created, the photos folder listed.
  void CreateAndList() const {
    const ToolRun run = Run("db create --yes");
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  }
  // The one value the query gives, read through the tool's test query.
  std::string Query(const std::string& sql) const {
    const ToolRun run = Run("db test --query \"" + sql + "\"");
    const std::size_t at = run.out.find("Result: ");
    if (at == std::string::npos) return "(" + run.out + ")";
    return run.out.substr(at + 8, run.out.find('\n', at) - at - 8);
  }

  TempDir dir;
  std::filesystem::path ini = dir / "Tessarine PRO.ini";
  std::filesystem::path photos = dir / "photos";
};

TEST_F(Commands, DbCreatesOnlyWhenToldPrintsTheStatementsAndTestsWithoutShowingThePassword) {
  WriteSqliteSettings(ini, "Folders=Dirs\nImages=Pics\n");
  WriteSetting(ini, "Connection", "Password", "s3cret");
  EXPECT_EQ(Run("db create").status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "catalogue.sqlite"));
  ToolRun run = Run("db create --yes");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "Created table Dirs\nCreated table Pics with its index, words, facts, keywords and hashes tables\n");  // no question asked
  EXPECT_EQ(Run("db sql --folders").out, FoldersTableStatement(ValidName("Dirs")) + "\n");
  EXPECT_EQ(Run("db sql --images").out, ImagesTableStatement(ValidName("Pics"), SqlDialectFor(DbmsKind::Sqlite)) + "\n");
  EXPECT_EQ(Run("db sql").status, 2);

  run = Run("db test");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(run.out.starts_with("Connected: ") && run.out.ends_with("\nResult: 1\n")) << run.out;
  EXPECT_EQ(run.out.find("s3cret"), std::string::npos) << run.out;
  // Settings that cannot be read say so, never that they name no data source.
  const std::filesystem::path unreadable = dir / "folder.ini";
  std::filesystem::create_directory(unreadable);
  run = RunTool(TESSARINE_EXECUTABLE, "db test --settings" + Quoted(unreadable));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Cannot read the settings file " + unreadable.string() + ": Is a directory\n");
}

// Which folders may be added and what a removal deletes is FolderList's; here the command's answers.
TEST_F(Commands, FoldersAddListAndRemove) {
  CreateAndList();
  EXPECT_EQ(Run("folders add" + Quoted(photos / "sub")).status, 1);  // a subfolder is never stored
  EXPECT_EQ(Run("folders add" + Quoted(photos)).status, 1);
  EXPECT_EQ(Run("folders add" + Quoted(dir / "missing")).status, 2);

  // A folder gone from the disk is listed as Unknown; remove asks nothing.
  Query("insert into Folders values('" + Text(dir / "gone") + "', '', '');");
  const ToolRun run = Run("folders list");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Text(photos) + "\tOK\t\t\n" + Text(dir / "gone") + "\tUnknown\t\t\n");
  std::filesystem::create_directories(photos / "_thumbs_");
  EXPECT_EQ(Run("folders remove --thumbnails" + Quoted(photos)).out,
            "Removed " + Text(photos) + " and its 0 rows\nThumbnail folders moved to the trash: 1\n");
  EXPECT_EQ(Run("folders list").out, Text(dir / "gone") + "\tUnknown\t\t\n");
  EXPECT_EQ(Run("folders remove" + Quoted(photos)).status, 1);
}

// Which files get rows, and their values, is ScanEndToEnd's; here which folders the command scans.
TEST_F(Commands, ScanCataloguesTheListedFoldersOrTheNamedOnes) {
  CreateAndList();
  ToolRun run = Run("scan");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Elapsed time: "), std::string::npos) << run.out;

  // A subfolder named on the command line updates the listed folder's count; a folder inside
  // another named one is scanned once, with it.
  WriteFile(photos / "sub" / "three.jpg", "x");
  EXPECT_EQ(Run("scan" + Quoted(photos / "sub")).status, 0);
  EXPECT_EQ(Query("select Files from Folders;"), "4");
  run = Run("scan" + Quoted(photos) + Quoted(photos / "sub") + Quoted(photos / "sub"));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("Scanning " + Text(photos / "sub")), std::string::npos) << run.out;

  // An unlisted folder is refused, its rows would lie where the check never looks; --add lists it.
  const auto odd = dir / "tab\there\nnext \"quoted\"";
  std::filesystem::create_directory(odd);
  WriteFile(odd / "four.jpg", "x");
  run = Run("scan" + Quoted(odd));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("Not in the folders list: " + Text(odd)), std::string::npos) << run.out;
  EXPECT_EQ(Run("scan --add" + Quoted(odd)).status, 0);
  EXPECT_EQ(Query("select count(*) from Images;"), "5");

  // --json: one object a line whatever the folder's name holds; the count a number once scanned.
  Query("insert into Folders values('" + Text(dir / "gone") + "', '', '');");
  std::map<std::string, json> byFolder;
  for (const json& line : JsonLines(Run("folders list --json", ToolStderr::Drop).out)) {
    EXPECT_EQ(line.size(), 4u) << line;
    byFolder[line.at("folder").get<std::string>()] = line;
  }
  ASSERT_EQ(byFolder.size(), 3u);
  EXPECT_EQ(byFolder[Text(odd)]["files"], 1);
  EXPECT_NE(byFolder[Text(odd)]["lastScan"], "");
  EXPECT_EQ(byFolder[Text(dir / "gone")]["files"], nullptr);
  EXPECT_EQ(byFolder[Text(dir / "gone")]["status"], "Unknown");
}

// --changed keeps the row of a file whose size and last write are those of its row.
TEST_F(Commands, ChangedRescansReadOnlyWhatChanged) {
  CreateAndList();
  const auto file = photos / "c.jpg";
  WriteFile(file, Jpeg(App13(Resource(0x0404, Iim(5, "One")))));
  ASSERT_EQ(Run("scan").status, 0);
  const auto written = std::filesystem::last_write_time(file);
  WriteFile(file, Jpeg(App13(Resource(0x0404, Iim(5, "Two")))));
  std::filesystem::last_write_time(file, written);
  const std::string title = "select ObjectName from Images where FileName = 'c.jpg';";
  EXPECT_EQ(Run("scan --changed").status, 0);
  EXPECT_EQ(Query(title), "One");
  EXPECT_EQ(Run("scan").status, 0);
  EXPECT_EQ(Query(title), "Two");
}

// With HashFiles=1 a scan keeps a hash of each file's content and duplicates lists the files of one
// content together, a link to a file not among them; a file written anew loses its former hash,
// also where files are hashed no more.
TEST_F(Commands, DuplicatesListsTheFilesOfOneContentTogether) {
  WriteSqliteSettings(ini, "[Configuration]\nHashFiles=1\n");
  std::filesystem::create_symlink(photos / "one.jpg", photos / "link.jpg");  // the same file, no copy
  CreateAndList();
  ASSERT_EQ(Run("scan").status, 0);
  ToolRun run = Run("duplicates", ToolStderr::Drop);
  EXPECT_EQ(run.status, 0);
  const std::string hash = run.out.substr(0, run.out.find('\t'));
  EXPECT_EQ(hash.size(), 32u) << run.out;
  EXPECT_EQ(run.out, hash + "\t" + Text(photos) + "one.jpg\n" + hash + "\t" + Text(photos / "sub") + "two.jpg\n");
  const std::vector<json> groups = JsonLines(Run("duplicates --json", ToolStderr::Drop).out);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]["paths"].size(), 2u) << groups[0];

  WriteFile(photos / "sub" / "two.jpg", "y");
  ASSERT_EQ(Run("scan").status, 0);
  run = Run("duplicates", ToolStderr::Drop);
  EXPECT_TRUE(run.status == 1 && run.out.empty()) << run.out;
  EXPECT_EQ(Query("select count(*) from Images_hashes;"), "3");  // notes.txt too
  ASSERT_TRUE(WriteSetting(ini, "Configuration", "HashFiles", "0"));
  ASSERT_EQ(Run("scan").status, 0);
  EXPECT_EQ(Query("select count(*) from Images_hashes;"), "0");
}

// tessarine watch, run as a service would: it catches up with the listed folders, says so, and
// SIGTERM ends it with status 0. What the watch does is CatalogueWatch's.
TEST_F(Commands, WatchCatchesUpAndEndsOnSigterm) {
  CreateAndList();
  ToolProcess watch(TESSARINE_EXECUTABLE, {"watch", "--settings", ini.string()}, ToolStderr::Keep);
  ASSERT_TRUE(watch.WaitFor("3 files catalogued in " + Text(photos))) << watch.Output();
  watch.Signal(SIGTERM);
  EXPECT_EQ(watch.Wait(), 0) << watch.Output();
  EXPECT_NE(watch.Output().find("Stopped watching."), std::string::npos) << watch.Output();
}

// A broken packet's line is quoted in the message: its control bytes come out as \xNN, never raw.
TEST_F(Commands, MessagesQuoteAFilesBytesAsPrintableText) {
  CreateAndList();
  WriteFile(photos / "one.jpg", Jpeg(App1Xmp(Packet("<rdf:Description rdf:about=\"\"><broken a=\"\x01\x7F\">"))));
  const ToolRun run = Run("scan");
  EXPECT_NE(run.out.find("\\x01\\x7f"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find_first_of("\x01\x7F"), std::string::npos);
}

TEST_F(Commands, FailuresEndWithTheirExitStatus) {
  ASSERT_EQ(Run("db create --yes --folders").status, 0);  // no images table: the first row is refused
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  ToolRun run = Run("scan");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("Error "), std::string::npos) << run.out;
  EXPECT_EQ(Run("scan /").status, 2);
  EXPECT_EQ(Run("scan" + Quoted(dir / "missing")).status, 2);

  // Another process holds the catalogue: refused with its own status (who holds it is told as
  // RescanSafety checks).
  ASSERT_EQ(Run("db create --yes --images").status, 0);
  CatalogueConnection holder;
  RecordingUserPort port;
  ASSERT_TRUE(OpenCatalogueToChange(holder, port, LoadSettings(ini), true)) << port.LastStatus();
  EXPECT_EQ(Run("scan").status, 3);
  EXPECT_EQ(Run("check --delete-files").status, 3);
  EXPECT_TRUE(std::filesystem::exists(photos / "one.jpg"));  // no row, yet not moved
  holder.CloseConnection();
  // So does another program holding the embedded catalogue's database past the driver's wait.
  WriteFile(dir / "catalogue.dsn", ReadFile(dir / "catalogue.dsn") + "Timeout=300\n");  // in ms
  holder.OpenConnection(DataSourceOf(LoadSettings(ini), true));
  holder.SendStatement("begin immediate transaction;");
  run = Run("scan");
  EXPECT_EQ(run.status, 3) << run.out;
  EXPECT_NE(run.out.find("Another program holds the catalogue's database"), std::string::npos) << run.out;
  holder.SendStatement("rollback;");
  EXPECT_EQ(Run("scan").status, 0);
  holder.CloseConnection();

  // An images-table name carrying a statement: every command warns of it on loading (one context
  // loads the settings of them all); the table operations refuse it (CheckedTableName), while the
  // folder list needs only the folders table and still lists.
  const std::string hostile = "Images; drop table Folders; --";
  WriteSqliteSettings(ini, "Images=" + hostile + "\n");
  run = Run("folders list");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("[Database] Images: invalid table name '" + hostile + "'"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(Text(photos)), std::string::npos) << run.out;

  WriteFile(ini, "[Connection]\nDSN=\n");
  run = Run("scan");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("DSN not defined"), std::string::npos) << run.out;
  EXPECT_EQ(Run("folders list --json", ToolStderr::Drop).status, 1);
}

// What the check lists and deletes is VerifyOnDatabase; here the command's options, outputs and status.
TEST_F(Commands, CheckListsBothWaysAndDeletesOnlyWhenAsked) {
  WriteFile(photos / "line\nbreak.txt", "x");
  ASSERT_EQ(CreateSqliteCatalogue(ini, photos), "");
  std::filesystem::remove(photos / "line\nbreak.txt");
  const std::string added = "new\tone\n\"x\".txt";
  WriteFile(photos / added, "new");
  const std::string root = Text(photos);
  ToolRun run = Run("check", ToolStderr::Drop);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Files without corresponding lines in images table: 1\n" + root + "\t" + added +
                              "\nLines in images table without corresponding files: 1\n" + root +
                              "\tline\nbreak.txt\nTotal files:",
                          0),
            0u)
      << run.out;

  // --json: a name holding a tab or a line break is still one entry; the totals come last, with the deletions.
  std::vector<json> lines = JsonLines(Run("check --json --delete-lines --delete-files", ToolStderr::Drop).out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (json{{"kind", "fileWithoutLine"}, {"folder", root}, {"file", added}}));
  EXPECT_EQ(lines[1], (json{{"kind", "lineWithoutFile"}, {"folder", root}, {"file", "line\nbreak.txt"}}));
  const std::map<std::string, int> totals = {{"filesWithoutLines", 1}, {"linesWithoutFiles", 1},
                                             {"unreadableFolders", 0}, {"deletedLines", 1}, {"filesMovedToTrash", 1}};
  for (const auto& [key, count] : totals) EXPECT_EQ(lines[2].value(key, -1), count) << key;
  EXPECT_TRUE(lines[2]["status"].get<std::string>().starts_with("Total files:")) << lines[2];
  EXPECT_FALSE(std::filesystem::exists(photos / added));
  lines = JsonLines(Run("check --json", ToolStderr::Drop).out);
  EXPECT_EQ(lines.back()["linesWithoutFiles"], 0);
  EXPECT_FALSE(lines.back().contains("deletedLines"));

  // Named folders as scan takes them: an unlisted one refused, a subfolder walked alone and once.
  WriteFile(photos / "sub" / "new.txt", "x");
  WriteFile(photos / "top.txt", "x");
  EXPECT_EQ(Run("check" + Quoted(dir.path()), ToolStderr::Drop).status, 2);
  lines = JsonLines(Run("check --json" + Quoted(photos / "sub") + Quoted(photos / "sub"), ToolStderr::Drop).out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["file"], "new.txt");
  // The trash refuses (its folder is a file): the files stay, counted, and the check fails.
  std::filesystem::create_directory(dir / "data");
  WriteFile(dir / "data" / "Trash", "");
  run = RunTool("XDG_DATA_HOME='" + (dir / "data").string() + "' " + TESSARINE_EXECUTABLE,
                "check --delete-files --settings '" + ini.string() + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Files not moved to the trash: 2"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(photos / "top.txt"));

  // An unreadable listed folder is an entry too, and the exit status is 1.
  std::filesystem::rename(photos, dir / "moved");
  run = Run("check --json", ToolStderr::Drop);
  EXPECT_EQ(run.status, 1);
  lines = JsonLines(run.out);
  EXPECT_EQ(lines.front(), (json{{"kind", "unreadableFolder"}, {"folder", root}}));
  EXPECT_EQ(lines.back()["unreadableFolders"], 1);
  // An images table that cannot be read: the error, and nothing deleted.
  std::filesystem::rename(dir / "moved", photos);
  WriteSqliteSettings(ini, "Images=Missing\n");
  run = Run("check --delete-lines");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Error "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Deleted lines"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tessarine::test
