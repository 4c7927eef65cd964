#pragma once
// What a walk proved absent: a file is gone from a folder that was listed completely, and a
// folder is gone when a folder above it was listed completely without the name that leads to it.
// Folders that could not be listed, or were not reached, prove nothing.

#include <map>
#include <set>
#include <string>

namespace tessarine {

class ProvenGone {
 public:
  // A folder (its stored key, ending in "/") was listed completely; `entryKeys` are the keys of
  // its entries that are not plain files.
  void Listed(const std::string& folderKey, std::set<std::string> entryKeys);

  // True when the row's file is proven gone: its folder was listed completely (and the file was
  // not found in it), or the folder itself is proven gone.
  bool FileGone(const std::string& folderKey) const;

 private:
  std::map<std::string, std::set<std::string>> m_listed;
};

}  // namespace tessarine
