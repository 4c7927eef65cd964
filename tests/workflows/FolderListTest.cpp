// The folder list's rules on every real database: what may be added, what a remove deletes, a
// folder whose name is not UTF-8, and a folders table that cannot be read. The window and the
// command only show these results.

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
    ASSERT_EQ(Add(related, entries).outcome, AddFolderOutcome::AlreadyListed) << related;
    EXPECT_EQ(port.messages.back().text, "Subfolder already in list\r\n" + Text(m_root));
    EXPECT_EQ(port.messages.back().icon, MessageIcon::Critical);
  }
  for (const char* forbidden : {"/", "/proc/self", "/sys/"}) {
    ASSERT_EQ(Add(forbidden, entries).outcome, AddFolderOutcome::Forbidden) << forbidden;
    EXPECT_EQ(port.messages.back().text, std::string("Forbidden Folder\r\n") + forbidden);
  }
  EXPECT_FALSE(IsForbiddenFolder("/process/"));

  // A subfolder of a listed folder: an entry for one scan, ticked, pointing at its container.
  const AddFolderResult sub = Add(m_root / "sub", entries);
  EXPECT_EQ(sub.outcome, AddFolderOutcome::SubfolderToUpdate);
  EXPECT_EQ(sub.entry.tag, "1");
  EXPECT_TRUE(sub.entry.checked);
  EXPECT_EQ(Count(m_settings.folders), "1");
  EXPECT_EQ(port.messages.size(), 5u);
}

TEST_P(FolderListOn, RemovingSaysTheRowsItDeletesAndMovesTheTreesThumbnailFoldersToTheTrashIfTicked) {
  const std::filesystem::path sibling = m_root.string() + "_x";
  AddAndLoad(m_root);
  const auto entries = AddAndLoad(sibling);
  ASSERT_EQ(entries.size(), 2u);
  // A folder whose name differs only in letter case: a server that compares without case must not
  // take its rows for the removed folder's.
  const std::filesystem::path otherCase = m_tree.path() / "IT'S PHOTOS" / "sub";
  for (const auto& folder : {m_root, m_root / "sub", std::filesystem::path(sibling), otherCase}) {
    Insert(Text(folder), "a.jpg");
  }
  const FolderEntry& root = entries[0].folder == FolderKey::FromPath(m_root.string()) ? entries[0] : entries[1];
  // Only a real "_thumbs_" folder goes; a link of that name (and what it leads to), a "_thumbs_x"
  // folder and the thumbnails of a hidden folder stay.
  const std::filesystem::path outside = m_tree.path() / "outside";
  for (const auto& folder : {m_root / "sub" / "_thumbs_", outside, m_root / "_thumbs_x", m_root / ".h" / "_thumbs_"}) {
    std::filesystem::create_directories(folder);
    WriteFile(folder / "a.jpg", "thumb");
  }
  std::filesystem::create_directory_symlink(outside, m_root / "_thumbs_");
  const std::vector<std::filesystem::path> staying = {outside / "a.jpg", m_root / "_thumbs_x" / "a.jpg",
                                                      m_root / ".h" / "_thumbs_" / "a.jpg"};

  ASSERT_EQ(RemoveFolderToScan(connection, port, m_settings, false, nullptr)->outcome,
            RemoveFolderOutcome::NothingSelected);
  EXPECT_EQ(port.messages.back().text, "Select Folder to remove");
  port.answerYes = false;
  port.tickOption = true;
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &root)->outcome, RemoveFolderOutcome::Declined);
  EXPECT_EQ(port.messages.back().text, "Remove " + Text(m_root) + " from the list and its 2 rows from the catalogue?" +
                                           "\r\n[Also move its thumbnail folders (_thumbs_) to the trash]");
  EXPECT_EQ(Count(m_settings.folders) + Count(m_settings.images), "24");
  EXPECT_TRUE(std::filesystem::exists(m_root / "sub" / "_thumbs_"));

  port.answerYes = true;
  const auto removed = RemoveFolderToScan(connection, port, m_settings, false, &root);
  ASSERT_TRUE(removed) << DescribeMessages();
  EXPECT_EQ(removed->outcome, RemoveFolderOutcome::Removed);
  EXPECT_EQ(removed->rowsCounted, removed->rowsRemoved);
  EXPECT_EQ(removed->thumbnailFolders, 1);
  EXPECT_EQ(Count(m_settings.folders), "1");
  // The rows of the folder and its subfolder went; those of the folders whose names only begin the
  // same, or differ in letter case, stayed.
  std::set<std::string> kept;
  for (const auto& [key, row] : Rows("select * from " + m_settings.images)) kept.insert(key);
  EXPECT_EQ(kept, (std::set<std::string>{Text(sibling) + "a.jpg", Text(otherCase) + "a.jpg"}));
  EXPECT_FALSE(std::filesystem::exists(m_root / "sub" / "_thumbs_"));
  EXPECT_TRUE(std::filesystem::is_symlink(m_root / "_thumbs_"));
  for (const auto& file : staying) EXPECT_TRUE(std::filesystem::exists(file)) << file;

  // An entry for one scan leaves the tables alone.
  FolderEntry forOneScan = root;
  forOneScan.tag = "1";
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &forOneScan)->outcome,
            RemoveFolderOutcome::ListOnly);
  EXPECT_EQ(Count(m_settings.folders), "1");
}

// "café" written in Windows-1252: the tables hold its text, the disk keeps its bytes. The embedded
// database also holds the folder's row as an earlier version wrote it, as the path's bytes (the
// servers refused such a row).
TEST_P(FolderListOn, AFolderWhoseNameIsNotUtf8IsRescannedCheckedAndRemoved) {
  const std::filesystem::path latin = m_root / "caf\xE9";
  std::filesystem::create_directories(latin / "sub");
  WriteFile(latin / "a.txt", "a");
  WriteFile(latin / "sub" / "b.txt", "b");
  if (Db().kind == DbmsKind::Sqlite) {
    Open().Send(SqlStatement("insert into " + m_settings.folders + " values(?, '','');").Bind(latin.string() + "/"));
  } else {
    AddAndLoad(latin);
  }
  const auto entries = LoadFolderEntries(connection, port, m_settings, false).entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].folder.Bytes(), latin.string() + "/");
  EXPECT_EQ(entries[0].status, "OK");
  for (int scan = 0; scan < 2; ++scan) ASSERT_TRUE(Scan(entries).status) << scan << ": " << DescribeMessages();
  EXPECT_EQ(Scalar("select Files from " + m_settings.folders + ";"), "2");
  EXPECT_EQ(Scalar("select Folder from " + m_settings.images + " where FileName='a.txt';"),
            Text(m_root) + "caf\xC3\xA9/");
  const CheckResult check = Check();
  EXPECT_TRUE(check.status && check.files == 2) << DescribeMessages();
  EXPECT_TRUE(check.filesWithoutLines.empty() && check.linesWithoutFiles.empty());
  EXPECT_EQ(RemoveFolderToScan(connection, port, m_settings, false, &entries[0], false)->outcome,
            RemoveFolderOutcome::Removed);
  EXPECT_EQ(Count(m_settings.folders) + Count(m_settings.images), "00");
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
