// tessarine folders and tessarine scan, run as a user would, on an SQLite file data source and a
// tree of files written by the test.

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/TableName.h"
#include "metadata/ImageBytes.h"
#include "support/ToolProcess.h"
#include "support/SqliteCatalogue.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine::test {
namespace {

ToolRun Tessarine(const std::string& arguments) { return RunTool(TESSARINE_EXECUTABLE, arguments); }

class ScanCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSqliteSettings(ini);
    std::filesystem::create_directories(photos / "sub");
    WriteFile(photos / "one.jpg", "x");
    WriteFile(photos / "notes.txt", "not an image");
    WriteFile(photos / "sub" / "two.jpg", "x");
  }

  std::string Settings() const { return " --settings '" + ini.string() + "'"; }
  ToolRun Run(const std::string& command) const { return Tessarine(command + Settings()); }
  static std::string Quoted(const std::filesystem::path& path) { return " '" + path.string() + "'"; }
  static std::string Text(const std::filesystem::path& folder) { return folder.string() + "/"; }

  void CreateTables(const std::string& which = "") const {
    const ToolRun run = Run("db create --yes" + which);
    ASSERT_EQ(run.status, 0) << run.out;
  }
  // The one value the query gives, read through the tool's test query.
  std::string Query(const std::string& sql) const {
    const ToolRun run = Run("db test --query \"" + sql + "\"");
    const std::size_t at = run.out.find("Result: ");
    if (at == std::string::npos) return "(" + run.out + ")";
    return run.out.substr(at + 8, run.out.find('\n', at) - at - 8);
  }
  std::string RowsUnder(const std::filesystem::path& folder) const {
    return Query("select count(*) from Images where Folder like '" + Text(folder) + "%';");
  }
  std::string FolderColumn(const std::filesystem::path& folder, const char* column) const {
    return Query(std::string("select ") + column + " from Folders where Folder = '" + Text(folder) + "';");
  }

  TempDir dir;
  std::filesystem::path ini = dir / "Tessarine PRO.ini";
  std::filesystem::path photos = dir / "photos";
};

// Which folders may be added and what a removal deletes is FolderList's; here the command's answers.
TEST_F(ScanCommands, FoldersAddListAndRemove) {
  CreateTables();
  ToolRun run = Run("folders add" + Quoted(photos));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(Run("folders add" + Quoted(photos / "sub")).status, 1);  // a subfolder is never stored
  run = Run("folders add" + Quoted(photos));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Subfolder already in list\n" + Text(photos)), std::string::npos) << run.out;
  EXPECT_EQ(Run("folders add" + Quoted(dir / "missing")).status, 2);

  // A folder gone from the disk is listed as Unknown.
  Query("insert into Folders values('" + Text(dir / "gone") + "', '', '');");
  run = Run("folders list");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Text(photos) + "\tOK\t\t\n" + Text(dir / "gone") + "\tUnknown\t\t\n");

  // Remove asks nothing.
  run = Run("folders remove" + Quoted(photos));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("Remove folder to scan"), std::string::npos) << run.out;
  EXPECT_EQ(Run("folders list").out, Text(dir / "gone") + "\tUnknown\t\t\n");
  EXPECT_EQ(Run("folders remove" + Quoted(photos)).status, 1);
}

// --json: one object a line, whatever the folder's name holds; the count a number once scanned.
TEST_F(ScanCommands, FoldersListAsJsonKeepsEveryNameOnItsLine) {
  CreateTables();
  const auto odd = dir / "tab\there\nnext \"quoted\"";
  std::filesystem::create_directories(odd);
  WriteFile(odd / "one.jpg", "x");
  ASSERT_EQ(Run("folders add" + Quoted(odd)).status, 0);
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  ASSERT_EQ(Run("scan" + Quoted(odd)).status, 0);
  Query("insert into Folders values('" + Text(dir / "gone") + "', '', '');");

  const ToolRun run = RunTool(TESSARINE_EXECUTABLE, "folders list --json" + Settings(), ToolStderr::Drop);
  EXPECT_EQ(run.status, 0);
  std::map<std::string, nlohmann::json> byFolder;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) {
    const nlohmann::json object = nlohmann::json::parse(line);
    EXPECT_EQ(object.size(), 4u) << line;
    byFolder[object.at("folder").get<std::string>()] = object;
  }
  ASSERT_EQ(byFolder.size(), 3u) << run.out;
  const nlohmann::json& scanned = byFolder[Text(odd)];
  EXPECT_EQ(scanned["status"], "OK");
  EXPECT_EQ(scanned["files"], 1);
  EXPECT_NE(scanned["lastScan"], "");
  EXPECT_EQ(byFolder[Text(photos)]["files"], nullptr);  // listed, never scanned
  EXPECT_EQ(byFolder[Text(dir / "gone")]["status"], "Unknown");

  // The failures keep their status.
  WriteFile(ini, "[Connection]\nDSN=\n");
  EXPECT_EQ(RunTool(TESSARINE_EXECUTABLE, "folders list --json" + Settings(), ToolStderr::Drop).status, 1);
}

// Which files get rows, and their values, is ScanEndToEnd.StoresOneRowPerVisibleFileWithWhatTheFileHolds;
// here which folders the command scans.
TEST_F(ScanCommands, ScanCataloguesTheListedFoldersOrTheNamedOnes) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  ToolRun run = Run("scan");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Scanning " + Text(photos)), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Elapsed time: "), std::string::npos) << run.out;
  EXPECT_EQ(RowsUnder(photos), "3");
  EXPECT_EQ(FolderColumn(photos, "Files"), "3");

  // A subfolder named on the command line updates the listed folder's count.
  WriteFile(photos / "sub" / "three.jpg", "x");
  run = Run("scan" + Quoted(photos / "sub"));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(FolderColumn(photos, "Files"), "4");

  // A folder inside another named one is scanned once, with it.
  run = Run("scan" + Quoted(photos) + Quoted(photos / "sub") + Quoted(photos / "sub"));
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("Scanning " + Text(photos / "sub")), std::string::npos) << run.out;

  // An unlisted folder is refused, its rows would lie where the check never looks; --add lists it.
  const auto other = dir / "other";
  std::filesystem::create_directory(other);
  WriteFile(other / "four.jpg", "x");
  run = Run("scan" + Quoted(other));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("Not in the folders list: " + Text(other)), std::string::npos) << run.out;
  EXPECT_EQ(RowsUnder(other), "0");
  EXPECT_EQ(Run("scan --add" + Quoted(other)).status, 0);
  EXPECT_EQ(RowsUnder(other), "1");
  EXPECT_EQ(Query("select count(*) from Folders;"), "2");
}

// A custom field stored with no valid column would be skipped without a word: every scan says so
// first, and still runs.
TEST_F(ScanCommands, AScanFirstNamesTheCustomFieldsItWillNotCollect) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  WriteFile(ini, ReadFile(ini) +
                     "[XMPCustomized]\nDescription1=Studio\nNS1=http://ns.example.com/s/\nPrefix1=studio\n"
                     "XMPFieldName1_1=ClientName\nDBFieldName1_1=e\nXMPFieldName1_2=Shoot\nDBFieldName1_2=02\n");
  const ToolRun run = Run("scan");
  EXPECT_EQ(run.status, 0) << run.out;
  const std::size_t warning = run.out.find("'ClientName' (schema #1, field #1): the stored column 'e' is not one");
  EXPECT_NE(warning, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("'Shoot'"), std::string::npos) << run.out;
  EXPECT_LT(warning, run.out.find("Scanning " + Text(photos))) << run.out;
  EXPECT_EQ(RowsUnder(photos), "3");
}

// --changed reads what changed and keeps the rest (the rows' equality with a full rescan is
// ChangedRescan's); here the option reaches the scan, and an image whose sidecar alone changed is
// read again.
TEST_F(ScanCommands, ChangedRescansReadWhatChangedAndKeepTheRest) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  const auto sidecar = [](const char* title) {
    return std::string("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
                       "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title><rdf:Alt>"
                       "<rdf:li xml:lang=\"x-default\">") + title + "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>";
  };
  WriteFile(photos / "c.jpg", Jpeg(""));
  WriteFile(photos / "c.xmp", sidecar("One"));
  ASSERT_EQ(Run("scan").status, 0);
  const std::string stamp = Query("select ModifyTime from Images where FileName = 'one.jpg';");
  ASSERT_EQ(Query("select ObjectName from Images where FileName = 'c.jpg';"), "One");
  WriteFile(photos / "notes.txt", "a longer text than before");
  WriteFile(photos / "c.xmp", sidecar("Two"));
  const ToolRun run = Run("scan --changed");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(Query("select ModifyTime from Images where FileName = 'one.jpg';"), stamp);
  EXPECT_EQ(Query("select FileSize from Images where FileName = 'notes.txt';"), "25");
  EXPECT_EQ(Query("select ObjectName from Images where FileName = 'c.jpg';"), "Two");
  EXPECT_EQ(RowsUnder(photos), "4");  // the sidecar is read with its image, not as a row of its own
}

// A broken packet's line is quoted in the message: its control bytes come out as \xNN, never raw.
TEST_F(ScanCommands, MessagesQuoteAFilesBytesAsPrintableText) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  WriteFile(photos / "one.jpg",
            Jpeg(App1Xmp(Packet(std::string("<rdf:Description rdf:about=\"\"><broken a=\"\x01\"></rdf:Description>")))));
  const ToolRun run = Run("scan");
  EXPECT_NE(run.out.find("Parsing error:"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\\x01"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\x01'), std::string::npos);
}

TEST_F(ScanCommands, FailuresEndWithANonZeroStatus) {
  CreateTables(" --folders");  // no images table: the first row is refused
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  ToolRun run = Run("scan");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("Error "), std::string::npos) << run.out;

  EXPECT_EQ(Run("scan /").status, 2);
  EXPECT_EQ(Run("scan" + Quoted(dir / "missing")).status, 2);

  WriteFile(ini, "[Connection]\nDSN=\n");
  run = Run("scan");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("DSN not defined"), std::string::npos) << run.out;
}

// A settings file whose images-table name carries a statement: every command warns of it on
// loading, scan and check refuse it before connecting, and the tables are as they were.
TEST_F(ScanCommands, ATableNameCarryingAStatementIsWarnedOfAndRefused) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  const std::string hostile = "Images; drop table Folders; --";
  WriteSqliteSettings(ini, "Images=" + hostile + "\n");
  for (const char* command : {"scan", "check"}) {
    const ToolRun run = Run(command);
    EXPECT_EQ(run.status, 1) << command << ": " << run.out;
    EXPECT_NE(run.out.find("[Database] Images: invalid table name '" + hostile + "'"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Invalid table name '" + hostile + "'\n" + std::string(kTableNameRule)), std::string::npos)
        << run.out;
  }
  // The folder list needs only the folders table: it still lists.
  const ToolRun list = Run("folders list");
  EXPECT_EQ(list.status, 0) << list.out;
  EXPECT_NE(list.out.find(Text(photos)), std::string::npos) << list.out;

  WriteSqliteSettings(ini);
  EXPECT_EQ(Query("select count(*) from Folders;"), "1");
  EXPECT_EQ(Query("select count(*) from Images;"), "0");
}

// Who may change the catalogue is OpenCatalogueToChange's (RescanSafety); here the command's answer
// while this process holds it.
TEST_F(ScanCommands, AScanWhileAnotherHoldsTheCatalogueIsRefusedAndToldWho) {
  CreateTables();
  ASSERT_EQ(Run("folders add" + Quoted(photos)).status, 0);
  CatalogueConnection holder;
  RecordingUserPort port;
  ASSERT_TRUE(OpenCatalogueToChange(holder, port, LoadSettings(ini), true)) << port.LastStatus();
  const ToolRun refused = Run("scan");
  EXPECT_EQ(refused.status, 3) << refused.out;
  EXPECT_NE(refused.out.find("process " + std::to_string(::getpid())), std::string::npos) << refused.out;
  EXPECT_EQ(RowsUnder(photos), "0");
  // Once it is let go, the catalogue is free again.
  holder.CloseConnection();
  EXPECT_EQ(Run("scan").status, 0);
  EXPECT_EQ(RowsUnder(photos), "3");
}

}  // namespace
}  // namespace tessarine::test
