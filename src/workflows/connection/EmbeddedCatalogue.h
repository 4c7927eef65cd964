#pragma once
// The embedded catalogue: an SQLite database in the user's data folder, reached through a file
// data source of the SQLite3 ODBC driver. A first start makes it, so that the window and every
// command work before anyone has set up a database; tab 1 offers the same to a user who comes back
// from a server.

#include <filesystem>
#include <string>
#include <string_view>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"

namespace tessarine {

// The ODBC driver of the embedded catalogue, as odbcinst.ini names it, and its Debian package.
inline constexpr std::string_view kEmbeddedDriver = "SQLite3";
inline constexpr std::string_view kEmbeddedDriverPackage = "libsqliteodbc";

struct EmbeddedCatalogueFiles {
  std::filesystem::path database;    // <folder>/catalogue.sqlite
  std::filesystem::path dataSource;  // <folder>/catalogue.dsn, a file data source that names it
};
EmbeddedCatalogueFiles EmbeddedCatalogueIn(const std::filesystem::path& folder);

// A first start: the settings were read and have never named a data source (no DSN key at all;
// a DSN the user cleared stays cleared).
bool IsFirstStart(const Settings& settings);

// Makes what is missing of the embedded catalogue in folder, then selects it in the settings (DSN,
// FileDSN, DBMS), which are written last so that they never name a half-made catalogue. The
// database file and its data source are created only where nothing is (a link or anything but a
// file at their names stops it); the two tables only in a database that holds no table yet.
// Returns what the user is told once, "Created the catalogue <file> — ..." (or "Selected ...",
// when the file was already there); a failure is shown through the port and returned.
Expected<std::string> PrepareEmbeddedCatalogue(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                               const std::filesystem::path& settingsFile,
                                               const std::filesystem::path& folder);

// At a first start, PrepareEmbeddedCatalogue in the user's data folder; otherwise nothing ("").
Expected<std::string> PrepareFirstStart(CatalogueConnection& connection, UserPort& port, Settings& settings,
                                        const std::filesystem::path& settingsFile);

}  // namespace tessarine
