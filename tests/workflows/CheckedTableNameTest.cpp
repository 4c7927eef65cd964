// Table names from a settings file written by hand or by another program (PostgreSQL would run
// whatever follows a ";"): the one check the operations share, and each operation refusing a name
// before it connects.

#include "workflows/connection/CheckedTableName.h"

#include <functional>

#include "catalogue/ScanStatements.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/verify/ConsistencyCheck.h"

namespace tessarine::test {
namespace {

TEST(CheckedTableName, ReportsARefusedNameInAMessageBoxAndReturnsItsError) {
  RecordingUserPort port;
  EXPECT_EQ(CheckedTableName(port, "Pics_2"), ValidName("Pics_2"));
  EXPECT_TRUE(port.messages.empty());
  const Expected<TableName> refused = CheckedTableName(port, "Pics;--");
  EXPECT_TRUE(refused.Is(ErrorKind::TableName));
  EXPECT_EQ(refused.GetError().what(), InvalidTableNameText("Pics;--"));
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, InvalidTableNameText("Pics;--"));
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(port.messages[0].title, kWindowTitle);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
}

// Each operation on the tables checks the names it sends before it connects, so a name carrying
// another statement never reaches a server: the connection handed to them is never opened.
TEST(CheckedTableName, EveryOperationOnTheTablesRefusesAnInvalidNameBeforeConnecting) {
  TempDir tree;
  WriteFile(tree / "b.txt", "b");
  std::vector<FolderEntry> entries{FolderEntry{FolderKey::FromPath(tree.path().string())}};
  entries[0].checked = true;
  const std::string key = FolderKeyText(entries[0].folder);
  const std::string folders = "Folders;drop/**/table/**/Images;--";
  const std::string images = "Images; drop table Folders; --";
  struct Operation {
    const char* name;
    bool usesFolders;
    bool usesImages;
    std::function<bool(CatalogueConnection&, UserPort&, const Settings&)> run;  // true when refused
  };
  const Operation operations[] = {
      {"load the folder list", true, false,
       [&](auto& c, auto& p, const auto& s) { return LoadFolderEntries(c, p, s, false).status.Is(ErrorKind::TableName); }},
      {"add a folder", true, false,
       [&](auto& c, auto& p, const auto& s) {
         return AddFolderToScan(c, p, s, false, (tree / "other").string(), {}).status.Is(ErrorKind::TableName);
       }},
      {"remove a folder", true, true,
       [&](auto& c, auto& p, const auto& s) { return RemoveFolderToScan(c, p, s, false, &entries[0]).Is(ErrorKind::TableName); }},
      {"scan", true, true,
       [&](auto& c, auto& p, const auto& s) {
         const ScanResult scan = ScanFolders(c, p, s, false, tree / "x.ini", entries, {});
         return scan.status.Is(ErrorKind::TableName) && scan.files == 0;
       }},
      {"check", false, true,
       [&](auto& c, auto& p, const auto& s) {
         return RunConsistencyCheck(c, p, s, false, entries).status.Is(ErrorKind::TableName);
       }},
      {"delete lines", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedLine> lines{{entries[0].folder.Text(), "a.jpg", key, "a.jpg"}};
         return DeleteLinesWithoutFiles(c, p, s, false, lines) == 0 && lines.size() == 1;
       }},
      {"delete files", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedFile> files{{entries[0].folder.Text(), "b.txt", entries[0].folder.Bytes(), "b.txt"}};
         return DeleteFilesWithoutLines(c, p, s, false, files) == 0 && files.size() == 1;
       }},
  };
  for (const bool hostileFolders : {true, false}) {
    Settings settings;
    settings.dsn = "never-opened";
    settings.folders = hostileFolders ? folders : "Folders";
    settings.images = hostileFolders ? "Images" : images;
    for (const Operation& operation : operations) {
      if (hostileFolders ? !operation.usesFolders : !operation.usesImages) continue;
      SCOPED_TRACE(std::string(operation.name) + (hostileFolders ? ", folders name" : ", images name"));
      RecordingUserPort port;
      CatalogueConnection unused;
      EXPECT_TRUE(operation.run(unused, port, settings));
      EXPECT_TRUE(unused.ConnectString().empty());
      // Said once: in a message box, or in the status line for the list's load.
      const std::string said = InvalidTableNameText(hostileFolders ? folders : images);
      if (std::string_view(operation.name) == "load the folder list") {
        EXPECT_TRUE(port.messages.empty());
        EXPECT_EQ(port.LastStatus(), "Invalid table name '" + folders + "': " + std::string(kTableNameRule));
      } else {
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, said);
      }
    }
  }
  EXPECT_TRUE(std::filesystem::exists(tree / "b.txt"));
}

}  // namespace
}  // namespace tessarine::test
