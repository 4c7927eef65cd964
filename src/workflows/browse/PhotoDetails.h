#pragma once
// Everything the catalogue holds about one photo, for the catalogue view's detail panel.

#include <string>
#include <string_view>
#include <vector>

#include "core/CustomXmpDefinition.h"
#include "core/Settings.h"

namespace tessarine {

class CatalogueConnection;

struct PhotoField {
  std::string title;
  std::string value;
};

// The title a column is shown under: the view's own title for the columns it shows, a bound
// custom column's property name, else the table's name of it with its words apart
// ("CopyrightNotice" -> "Copyright Notice").
std::string ColumnTitle(std::size_t column, const CustomXmpDefinition& custom);

// The non-empty fields of the photo's row, in table order, under their titles, a date as the view
// shows it. Nothing when the row is gone or cannot be read (the status line then says why).
std::vector<PhotoField> ReadPhotoFields(CatalogueConnection& connection, const Settings& settings,
                                        std::string_view folderText, std::string_view fileText,
                                        std::string* problem);

}  // namespace tessarine
