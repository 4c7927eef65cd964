#pragma once
// "Testing Query" of the connection tab: saves the connection boxes, opens the connection, shows
// the connect string the driver completed, runs the query box's text and returns the first field
// of its first row as the result box's text.

#include <filesystem>
#include <string>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"

namespace tessarine {

// The texts of the connection tab as they stand when the button is pressed.
struct ConnectionBoxes {
  std::string dsn;
  bool fileDsnSelected = false;
  std::string login;
  std::string password;
};

// Returns the text for the result box ("" when the query gave no row, no field or a null value), or
// the error that prevented it: the connection, or the query (reported with a beep, then the box).
Expected<std::string> TestingQuery(CatalogueConnection& connection, UserPort& port, Settings& settings,
                         const std::filesystem::path& settingsFile, const ConnectionBoxes& boxes,
                         std::string_view query);

}  // namespace tessarine
