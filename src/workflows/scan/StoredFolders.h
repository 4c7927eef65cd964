#pragma once
// The folders of one listed tree that the images table holds rows for, so that the rows of a
// subfolder gone from disk can be deleted, and only those: a stored folder is gone when a folder
// above it was listed completely and holds no entry of the name that leads to it.

#include <set>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/SqlDialect.h"
#include "core/FolderKey.h"
#include "core/TableName.h"

namespace tessarine {

class StoredFolders {
 public:
  // Reads the stored folders of the tree (the folder and everything below it). Throws.
  StoredFolders(CatalogueConnection& connection, const TableName& imagesTable, const FolderKey& top);

  // True when the table holds rows for the tree.
  bool Any() const { return !m_folders.empty(); }
  // True when the table holds rows for the folder or a folder below it.
  bool AnyUnder(const FolderKey& folder) const;

  // The folder was listed completely; `entryTexts` are the texts of its entries that are not plain
  // files. Deletes the rows of each stored folder below it that the listing no longer leads to.
  // Returns the rows deleted. Throws DatabaseError.
  long long DeleteGoneSubfolders(const FolderKey& folder, const std::set<std::string>& entryTexts);

  // Deletes the rows of the whole tree (the folder is removed from the list on purpose), folder by
  // folder, each only when the server matches its key to folders of this tree alone. Returns the
  // rows deleted. Throws DatabaseError.
  long long DeleteTree();
  // The rows DeleteTree would delete now. Throws DatabaseError.
  long long CountTreeRows(const SqlDialect& dialect);

 private:
  // Those of these stored folders whose key the server matches to none but them.
  std::vector<std::string> OnlyThese(const std::set<std::string>& folders);
  // Deletes the rows of each of these stored folders whose key the server matches to none but them.
  long long DeleteFolders(const std::set<std::string>& folders);

  CatalogueConnection& m_connection;
  const TableName& m_imagesTable;
  FolderKey m_top;
  std::set<std::string> m_folders;  // Folder keys, exactly as stored
  bool m_othersMatched = false;     // the server's LIKE also matched folders outside the tree
};

}  // namespace tessarine
