#include "workflows/scan/StoredFolders.h"

#include <vector>

#include "catalogue/ScanStatements.h"

namespace tessarine {
namespace {

std::vector<std::string> FolderColumn(CatalogueConnection& connection, const SqlStatement& select) {
  std::vector<std::string> folders;
  auto rows = connection.ExecuteStatement(select, CursorChoice::ForwardOnly);
  for (; rows && !rows->IsEof(); rows->MoveNext()) folders.push_back(rows->FieldValue(0).value_or(""));
  return folders;
}

}  // namespace

StoredFolders::StoredFolders(CatalogueConnection& connection, const TableName& imagesTable, const FolderKey& top)
    : m_connection(connection), m_imagesTable(imagesTable), m_top(top) {
  const std::string topKey = FolderKeyText(top);
  // The server's LIKE may ignore letter case: keep only the folders below this very spelling.
  for (std::string& folder : FolderColumn(connection, SelectStoredFolders(imagesTable, topKey))) {
    if (folder.starts_with(topKey)) {
      m_folders.insert(std::move(folder));
    } else {
      m_othersMatched = true;
    }
  }
}

bool StoredFolders::AnyUnder(const FolderKey& folder) const {
  const auto first = m_folders.lower_bound(folder.Text());
  return first != m_folders.end() && first->starts_with(folder.Text());
}

long long StoredFolders::DeleteGoneSubfolders(const FolderKey& folder, const std::set<std::string>& entryTexts) {
  const std::string key = FolderKeyText(folder);
  std::set<std::string> entryKeys;
  for (const std::string& text : entryTexts) AddEntryKeys(entryKeys, text);

  std::set<std::string> gone;
  for (auto it = m_folders.upper_bound(key); it != m_folders.end() && it->starts_with(key); ++it) {
    const std::size_t end = it->find('/', key.size());
    if (end == std::string::npos) continue;  // not a folder key
    if (!entryKeys.contains(it->substr(key.size(), end - key.size()))) gone.insert(*it);
  }

  return DeleteFolders(gone);
}

long long StoredFolders::DeleteTree() { return DeleteFolders(std::set<std::string>(m_folders)); }

long long StoredFolders::CountTreeRows(const SqlDialect& dialect) {
  // The tree's count is what the deletes take, unless the server matched its folders to others.
  if (!m_othersMatched) {
    return std::stoll(m_connection.FirstValue(CountFolderRows(m_imagesTable, m_top, dialect)).value_or("0"));
  }
  long long rows = 0;
  for (const std::string& folder : OnlyThese(m_folders)) {
    rows += std::stoll(m_connection.FirstValue(CountStoredFolderRows(m_imagesTable, folder)).value_or("0"));
  }
  return rows;
}

std::vector<std::string> StoredFolders::OnlyThese(const std::set<std::string>& folders) {
  std::vector<std::string> only;
  for (const std::string& stored : folders) {
    // A statement on the key hits every folder the server matches to it.
    bool onlyThese = true;
    for (const std::string& matched : FolderColumn(m_connection, SelectStoredFolder(m_imagesTable, stored))) {
      onlyThese = onlyThese && folders.contains(matched);
    }
    if (onlyThese) only.push_back(stored);
  }
  return only;
}

long long StoredFolders::DeleteFolders(const std::set<std::string>& gone) {
  long long deleted = 0;
  for (const std::string& stored : OnlyThese(gone)) {
    m_connection.Send(DeleteStoredFolderRows(m_imagesTable, stored));
    deleted += std::max(m_connection.ChangedRows(), 0LL);
    m_folders.erase(stored);
  }
  return deleted;
}

}  // namespace tessarine
