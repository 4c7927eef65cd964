// The folder list's rules on every real database: what may be added, what a remove deletes, and a
// folders table that cannot be read. The window and the command only show these results.

#include "workflows/folders/FolderList.h"

#include "core/WindowTitle.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

class FolderListOn : public CatalogueFixture {
 protected:
  AddFolderResult Add(const std::filesystem::path& folder, const std::vector<FolderEntry>& entries) {
    return AddFolderToScan(connection, port, m_settings, false, folder.string(), entries);
  }
};
TESSARINE_ON_EVERY_DATABASE(FolderListOn);

TEST_P(FolderListOn, AddingRefusesForbiddenAndRelatedFoldersAndListsASubfolderForOneScan) {
  const auto entries = AddAndLoad(m_root);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].folder.Text(), Text(m_root));
  EXPECT_FALSE(entries[0].checked);

  // The listed folder again, or a folder holding it: refused with the listed entry's text.
  for (const auto& related : {m_root, m_tree.path()}) {
    EXPECT_EQ(Add(related, entries).outcome, AddFolderOutcome::AlreadyListed) << related;
    EXPECT_EQ(port.messages.back().text, "Subfolder already in list\r\n" + Text(m_root));
    EXPECT_EQ(port.messages.back().icon, MessageIcon::Critical);
    EXPECT_EQ(port.messages.back().title, kWindowTitle);
  }
  for (const char* forbidden : {"/", "/proc/self", "/dev", "/sys/"}) {
    EXPECT_EQ(Add(forbidden, entries).outcome, AddFolderOutcome::Forbidden) << forbidden;
    EXPECT_EQ(port.messages.back().text, std::string("Forbidden Folder\r\n") + forbidden);
  }
  EXPECT_FALSE(IsForbiddenFolder("/process/"));

  // A subfolder of a listed folder: an entry for one scan, ticked, pointing at its container.
  const AddFolderResult sub = Add(m_root / "sub", entries);
  EXPECT_EQ(sub.outcome, AddFolderOutcome::SubfolderToUpdate);
  EXPECT_EQ(sub.entry.tag, "1");
  EXPECT_TRUE(sub.entry.checked);
  // A folder whose name only begins like a listed one is a folder of its own.
  const std::filesystem::path sibling = m_root.string() + " old";
  EXPECT_EQ(Add(sibling, entries).outcome, AddFolderOutcome::Inserted);
  EXPECT_EQ(Count(m_settings.folders), "2");
  EXPECT_EQ(port.messages.size(), 6u);
}

TEST_P(FolderListOn, RemovingAsksThenDeletesTheFolderRowAndTheRowsOfItsTree) {
  const std::filesystem::path sibling = m_root.string() + "_x";
  AddAndLoad(m_root);
  const auto entries = AddAndLoad(sibling);
  ASSERT_EQ(entries.size(), 2u);
  // A folder whose name differs only in letter case: a server that compares without case must not
  // take its rows for the removed folder's.
  const std::filesystem::path otherCase = m_tree.path() / "IT'S PHOTOS" / "sub";
  for (const auto& folder : {m_root / "sub", std::filesystem::path(sibling), otherCase}) Insert(Text(folder), "a.jpg");
  connection.CloseConnection();
  const FolderEntry& root = entries[0].folder == FolderKey::FromPath(m_root.string()) ? entries[0] : entries[1];

  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, nullptr), RemoveFolderOutcome::NothingSelected);
  EXPECT_EQ(port.messages.back().text, "Select Folder to remove");
  port.answerYes = false;
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &root), RemoveFolderOutcome::Declined);
  EXPECT_EQ(port.messages.back().text, "Remove folder to scan\r\n" + Text(m_root));
  EXPECT_EQ(port.messages.back().buttons, MessageButtons::YesNo);
  EXPECT_EQ(Count(m_settings.folders), "2");

  port.answerYes = true;
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &root), RemoveFolderOutcome::Removed);
  EXPECT_EQ(Count(m_settings.folders), "1");
  // The subfolder's row went; the rows of the folders whose names only begin the same, or differ in
  // letter case, stayed.
  std::set<std::string> kept;
  for (const auto& [key, row] : Rows("select * from " + m_settings.images)) kept.insert(key);
  EXPECT_EQ(kept, (std::set<std::string>{Text(sibling) + "a.jpg", Text(otherCase) + "a.jpg"}));

  // An entry for one scan leaves the tables alone.
  FolderEntry forOneScan = root;
  forOneScan.tag = "1";
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &forOneScan), RemoveFolderOutcome::ListOnly);
  EXPECT_EQ(Count(m_settings.folders), "1");
}

TEST_P(FolderListOn, ARowAnEarlierVersionWroteAsThePathsBytesIsRescannedAndRemoved) {
  // Only the embedded database kept a name that is not UTF-8; the servers refused it.
  if (Db().kind != DbmsKind::Sqlite) GTEST_SKIP() << "the servers never stored such a row";
  const std::filesystem::path latin = m_root / "caf\xE9";
  std::filesystem::create_directories(latin);
  WriteFile(latin / "a.txt", "a");
  Open();
  // Bound as bytes: the row holds the path's Windows-1252 bytes, as an earlier version wrote it.
  connection.Send(SqlStatement("insert into " + m_settings.folders + " values(?, '','');").Bind(latin.string() + "/"));
  connection.CloseConnection();
  auto entries = LoadFolderEntries(connection, port, m_settings, false).entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].status, "OK");
  ASSERT_TRUE(Scan(entries).status) << DescribeMessages();
  ASSERT_TRUE(Scan(entries).status) << DescribeMessages();
  EXPECT_EQ(Scalar("select Files from " + m_settings.folders + ";"), "1");
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &entries[0], false), RemoveFolderOutcome::Removed);
  EXPECT_EQ(Count(m_settings.folders), "0");
  EXPECT_EQ(Count(m_settings.images), "0");
}

TEST_P(FolderListOn, AFoldersTableThatCannotBeReadIsTheStatusLinesErrorAndDisablesAddAndRemove) {
  m_settings.folders = "no_such_folders_table";
  const FolderListLoad load = LoadFolderEntries(connection, port, m_settings, false);
  EXPECT_TRUE(load.status.Is(ErrorKind::Database));
  EXPECT_TRUE(load.Connected());
  EXPECT_FALSE(load.tableReadable);
  EXPECT_TRUE(port.LastStatus().starts_with("Table 'no_such_folders_table' Error: ")) << port.LastStatus();
  EXPECT_EQ(port.beeps, 1);
  EXPECT_TRUE(port.messages.empty());
  EXPECT_FALSE(connection.IsOpen());
}

}  // namespace
}  // namespace tessarine::test
