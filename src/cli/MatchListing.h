#pragma once
// What the commands that list catalogued photos share: every match of a search read page by page,
// and a row's path as the file system names it.

#include <functional>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "workflows/browse/CatalogueSearch.h"

namespace tessarine {

// Calls `each` for every match in the search's order; the number of matches, or the error that
// ended the reading.
Expected<long long> ForEachMatch(CatalogueSearch& search, const std::function<void(const ViewRow&)>& each);

// "folder/file" of a match. A row an earlier version stored holds "/" where the name on disk has
// "\" (a name never holds "/").
std::string MatchPath(const CatalogueSearch& search, const ViewRow& row);

// Backslash, tab, CR and LF written as \\, \t, \r and \n: one match stays one line.
std::string Escaped(std::string_view value);

}  // namespace tessarine
