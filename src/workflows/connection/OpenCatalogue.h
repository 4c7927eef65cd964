#pragma once
// How every operation opens the catalogue connection at its start.

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/FolderKey.h"
#include "core/Settings.h"
#include "core/UserPort.h"

namespace tessarine {

// Clears the status line and opens the connection. With no DSN, "DSN not defined" is shown in the
// status line; a data source that cannot be opened is reported in the common form.
Status OpenCatalogue(CatalogueConnection& connection, UserPort& port, const DataSource& source);
// The data source of the settings, with the DSN kind the window's option shows now. Settings whose
// file could not be read open nothing: their readError is shown in the status line and returned.
Status OpenCatalogue(CatalogueConnection& connection, UserPort& port, const Settings& settings, bool fileDsnSelected);

// OpenCatalogue for an operation that changes or deletes rows (the scan, the check and its
// deletions) in the given folder trees (none: the whole catalogue): the server must be of the
// kind the settings name, and no other such operation may hold an overlapping tree, or nothing is
// done (ErrorKind WrongKind or Busy, reported with a message box and a beep, the connection
// closed). The lock is kept until the connection closes; locks of silent holders that it took over
// are said in a message each.
Status OpenCatalogueToChange(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                             bool fileDsnSelected, const std::vector<FolderKey>& folders = {});

}  // namespace tessarine
