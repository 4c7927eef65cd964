// Table names from a settings file written by hand or by another program, on every real database
// (PostgreSQL runs whatever follows a ";"): each operation refuses a name that is not a valid table
// name before it connects, so a name carrying another statement never reaches the server, and the
// operations on the other table go on.

#include "workflows/connection/CheckedTableName.h"

#include "catalogue/ScanStatements.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "workflows/CatalogueFixture.h"
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

class HostileTableNamesOn : public CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    if (IsSkipped() || HasFailure()) return;
    // What a name carrying a drop would destroy: a listed folder and a row of it, whose file is
    // gone from the folder (which holds another file, so the check can prove it gone).
    WriteFile(m_root / "b.txt", "b");
    m_entries = AddAndLoad(m_root);
    ASSERT_EQ(m_entries.size(), 1u);
    m_entries[0].checked = true;
    Open();
    connection.Send(SqlStatement("insert into " + m_settings.images +
                                 " (Folder,FileName,ModifyTime,Checked) values (?,'a.jpg',1,'0');")
                        .Bind(FolderKeyText(m_entries[0].folder)));
    connection.CloseConnection();
    port = RecordingUserPort();
  }

  // The settings of a file naming this database, whose table names are the given ones.
  Settings LoadHostile(const std::string& folders, const std::string& images) {
    const auto file = m_tree / "Tessarine PRO.ini";
    const Settings db = SettingsOfDb();
    WriteFile(file, "[Connection]\nDSN=" + db.dsn + "\nLogin=" + db.login + "\nPassword=" + db.password +
                        "\n[Database]\nDBMS=" + std::to_string(static_cast<int>(db.dbms)) + "\nFolders=" + folders +
                        "\nImages=" + images + "\n");
    return LoadSettings(file);
  }
  // Each name followed by a statement that drops the other table.
  std::string HostileFolders() const { return m_settings.folders + ";drop/**/table/**/" + m_settings.images + ";--"; }
  std::string HostileImages() const { return m_settings.images + "; drop table " + m_settings.folders + "; --"; }

  void ExpectBothTablesIntact() {
    Open();
    EXPECT_EQ(QueryValue("select count(*) from " + m_settings.folders + ";"), "1");
    EXPECT_EQ(QueryValue("select count(*) from " + m_settings.images + ";"), "1");
    connection.CloseConnection();
  }

  // The row's line and the folder's file, as the check would list them.
  std::vector<CheckedLine> Lines() const {
    const std::string key = FolderKeyText(m_entries[0].folder);
    return {{m_entries[0].folder.Text(), "a.jpg", key, "a.jpg"}};
  }
  std::vector<CheckedFile> Files() const {
    return {{m_entries[0].folder.Text(), "b.txt", m_entries[0].folder.Bytes(), "b.txt"}};
  }

  std::vector<FolderEntry> m_entries;
};
TESSARINE_ON_EVERY_DATABASE(HostileTableNamesOn);

TEST_P(HostileTableNamesOn, EveryOperationOnTheTablesRefusesThemBeforeConnecting) {
  const Settings hostile = LoadHostile(HostileFolders(), HostileImages());
  // Kept as stored, not replaced by the defaults.
  ASSERT_EQ(hostile.folders, HostileFolders());
  ASSERT_EQ(hostile.images, HostileImages());
  CatalogueConnection unused;  // never opened: nothing can have been sent

  const FolderListLoad load = LoadFolderEntries(unused, port, hostile, false);
  EXPECT_TRUE(load.status.Is(ErrorKind::TableName));
  EXPECT_FALSE(load.tableReadable);
  EXPECT_EQ(port.LastStatus(), "Invalid table name '" + HostileFolders() + "': " + std::string(kTableNameRule));
  EXPECT_TRUE(port.messages.empty());

  const AddFolderResult added = AddFolderToScan(unused, port, hostile, false, (m_tree / "other").string(), {});
  EXPECT_TRUE(added.status.Is(ErrorKind::TableName));
  EXPECT_TRUE(RemoveFolderToScan(unused, port, hostile, false, &m_entries[0]).Is(ErrorKind::TableName));
  const ScanResult scan = ScanFolders(unused, port, hostile, false, m_tree / "x.ini", m_entries, {});
  EXPECT_TRUE(scan.status.Is(ErrorKind::TableName));
  EXPECT_EQ(scan.files, 0);
  EXPECT_TRUE(RunConsistencyCheck(unused, port, hostile, false, m_entries).status.Is(ErrorKind::TableName));
  std::vector<CheckedLine> lines = Lines();
  EXPECT_EQ(DeleteLinesWithoutFiles(unused, port, hostile, false, lines), 0);
  EXPECT_EQ(lines.size(), 1u);
  std::vector<CheckedFile> files = Files();
  EXPECT_EQ(DeleteFilesWithoutLines(unused, port, hostile, false, files), 0);
  EXPECT_EQ(files.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(m_root / "b.txt"));

  // One refusal each, before any question: add, remove, scan (the folders name first), check,
  // delete lines and delete files (the images name).
  std::vector<std::string> texts;
  for (const auto& m : port.messages) texts.push_back(m.text);
  const std::string folders = InvalidTableNameText(HostileFolders());
  const std::string images = InvalidTableNameText(HostileImages());
  EXPECT_EQ(texts, (std::vector<std::string>{folders, folders, folders, images, images, images}));
  EXPECT_TRUE(unused.ConnectString().empty());
  ExpectBothTablesIntact();
}

TEST_P(HostileTableNamesOn, OnlyTheOperationsOnTheRefusedTableStop) {
  // The images name alone: the folder list still loads; scan, check, remove and the deletions stop.
  const Settings hostile = LoadHostile(m_settings.folders, HostileImages());
  const FolderListLoad load = LoadFolderEntries(connection, port, hostile, false);
  ASSERT_TRUE(load.status) << port.LastStatus();
  EXPECT_EQ(load.entries.size(), 1u);

  CatalogueConnection unused;
  EXPECT_TRUE(RemoveFolderToScan(unused, port, hostile, false, &m_entries[0]).Is(ErrorKind::TableName));
  const ScanResult scan = ScanFolders(unused, port, hostile, false, m_tree / "x.ini", m_entries, {});
  EXPECT_TRUE(scan.status.Is(ErrorKind::TableName));
  EXPECT_TRUE(RunConsistencyCheck(unused, port, hostile, false, m_entries).status.Is(ErrorKind::TableName));
  std::vector<CheckedLine> lines = Lines();
  EXPECT_EQ(DeleteLinesWithoutFiles(unused, port, hostile, false, lines), 0);
  std::vector<CheckedFile> files = Files();
  EXPECT_EQ(DeleteFilesWithoutLines(unused, port, hostile, false, files), 0);
  EXPECT_TRUE(std::filesystem::exists(m_root / "b.txt"));
  EXPECT_EQ(port.messages.size(), 5u) << DescribeMessages();
  for (const auto& m : port.messages) EXPECT_EQ(m.text, InvalidTableNameText(HostileImages()));
  EXPECT_TRUE(unused.ConnectString().empty());
  ExpectBothTablesIntact();

  // A check on valid names still finds the row's file missing: the tables were left as they were.
  const CheckResult check = RunConsistencyCheck(connection, port, m_settings, false, m_entries);
  ASSERT_TRUE(check.status) << DescribeMessages();
  EXPECT_EQ(check.linesWithoutFiles.size(), 1u);
}

}  // namespace
}  // namespace tessarine::test
