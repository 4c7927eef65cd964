#pragma once
// The columns of the catalogue view, with the titles people read: a fixed set of the images
// table's columns, then the custom columns the XMP definitions bind, titled by their properties.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CustomXmpDefinition.h"

namespace tessarine {

struct ViewColumn {
  std::size_t column;       // index in ImageColumns()
  std::string_view name;    // the images table's name of it ("ObjectName")
  std::string title;        // what the view shows ("Title")
};

// Folder, File, Title, Headline, Caption, Keywords, Byline, City, Country, Date, Width, Height,
// Copyright, then each bound custom column in column-number order. A custom column is bound when
// a property with a name, in a schema with a prefix, names it ("07", "7" or "100"); the first such
// property titles it.
std::vector<ViewColumn> ViewColumnsOf(const CustomXmpDefinition& custom);

// Where the search looks for words: Keywords, ObjectName, Caption, Byline, City, Country and the
// bound custom columns.
std::vector<std::size_t> SearchedColumnsOf(const CustomXmpDefinition& custom);

// True when the ASCII letters of the two names differ at most in case (column names and titles).
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The position of the view column a user names by its title or its table name, letter case
// ignored (the title first); nothing when no column has that name.
std::optional<std::size_t> FindViewColumn(const std::vector<ViewColumn>& columns, std::string_view name);

// A Date as the view shows it and the window's CSV writes it, ISO 8601: IIM's "20010920" as
// "2001-09-20", as XMP writes a day; any other text as it is stored.
std::string ShownDay(std::string_view stored);

// A Folder as the view shows it: below the listed folder that holds it, from that folder's own
// name ("photos/2024/shoot/" for "/srv/photos/2024/shoot/" when "/srv/photos/" is listed), so the
// shoot's folder shows; the deepest listed folder counts. A folder no listed folder holds is shown
// whole. Texts as the folders table stores them, with their trailing "/".
std::string ShownFolder(const std::vector<std::string>& listedFolders, std::string_view folder);

}  // namespace tessarine
