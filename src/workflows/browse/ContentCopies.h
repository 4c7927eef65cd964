#pragma once
// The catalogued files whose content is the same, found by the hashes a scan stores when it hashes
// files ([Configuration] HashFiles).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/TableName.h"
#include "core/UserPort.h"

namespace tessarine {

// Said where the catalogue has no hashes table.
inline constexpr std::string_view kNoHashesToCompare =
    "This catalogue keeps no hashes of its files' content: \"tessarine db create --companions\" adds their table, "
    "and a scan with [Configuration] HashFiles=1 fills it.";

// Files of one content: its hash, and each file as "folder/file" (a name an earlier version stored
// with "/" for "\" as the file system names it).
struct CopyGroup {
  std::string hash;
  std::vector<std::string> paths;
};

// Calls `each` for every group of two or more catalogued files that share a hash, in the order of
// the hash, the files of a group in the order of their key; on a connection the caller opened. The
// number of groups and of files without a hash, or the error that ended the reading (reported to the port; where the catalogue
// has no hashes table, kNoHashesToCompare).
struct CopyCount {
  long long groups = 0;
  long long unhashed = 0;  // catalogued files without a hash: empty, links, or scanned without hashing
};
Expected<CopyCount> ForEachCopyGroup(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                     const std::function<void(const CopyGroup&)>& each);

// The other files of the content of the file of these keys (as the row stores them), as
// "folder/file" in the order of their key; none where the file has no hash or the catalogue no
// hashes table. Throws DatabaseError.
std::vector<std::string> CopiesOf(CatalogueConnection& connection, const TableName& imagesTable,
                                  std::string_view folderText, std::string_view fileText);

}  // namespace tessarine
