#include "workflows/browse/FolderTree.h"

#include <algorithm>
#include <set>

#include "catalogue/CatalogueConnection.h"
#include "core/DatabaseError.h"
#include "core/TableName.h"

namespace tessarine {
namespace {

// The deepest listed folder that holds the folder (or is it); npos when none does.
std::size_t HolderOf(const std::vector<std::string>& listed, const std::string& folder) {
  std::size_t holder = std::string::npos;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const bool holds = folder.starts_with(listed[i]) && listed[i].ends_with('/');
    if (holds && (holder == std::string::npos || listed[i].size() > listed[holder].size())) holder = i;
  }
  return holder;
}

}  // namespace

std::vector<FolderTreeItem> FolderTreeOf(const std::vector<std::string>& listed,
                                         const std::vector<std::string>& holdingRows) {
  // Below each listed folder: every folder that holds rows, and each folder on the way to it.
  std::vector<std::set<std::string>> below(listed.size());
  std::set<std::string> outside;
  for (const std::string& folder : holdingRows) {
    const std::size_t holder = HolderOf(listed, folder);
    if (holder == std::string::npos) {
      outside.insert(folder);
      continue;
    }
    for (std::size_t slash = folder.find('/', listed[holder].size()); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
      below[holder].insert(folder.substr(0, slash + 1));
    }
  }
  std::vector<FolderTreeItem> tree;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    tree.push_back({listed[i], 0, listed[i]});
    for (const std::string& folder : below[i]) {
      const std::string_view rest = std::string_view(folder).substr(listed[i].size());
      const int depth = static_cast<int>(std::ranges::count(rest, '/'));
      const std::size_t nameStart = folder.rfind('/', folder.size() - 2) + 1;
      tree.push_back({folder, depth, folder.substr(nameStart)});
    }
  }
  for (const std::string& folder : outside) tree.push_back({folder, 0, folder});
  return tree;
}

std::vector<std::string> FoldersHoldingRows(CatalogueConnection& connection, const Settings& settings) {
  std::vector<std::string> folders;
  const std::optional<TableName> images = TableName::Of(settings.images);
  if (!images) return folders;
  try {
    auto rows = connection.ExecuteStatement("select distinct Folder from " + images->Text() + " order by Folder;");
    for (; rows && !rows->IsEof() && folders.size() < kMaxFilterFolders; rows->MoveNext()) {
      if (const std::optional<std::string>& folder = rows->FieldValue(0); folder && !folder->empty()) {
        folders.push_back(*folder);
      }
    }
  } catch (const DatabaseError&) {
    folders.clear();
  }
  return folders;
}

}  // namespace tessarine
