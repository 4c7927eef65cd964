#pragma once
// Whether the catalogue holds photos yet: the window opens on its catalogue view when it does, and
// on its first set-up tab while it does not.

#include "core/Settings.h"

namespace tessarine {

class CatalogueConnection;

// True when the images table holds a row. False when it holds none, or when it cannot be read (no
// connection, no table, a name no statement may carry): nothing is said, the set-up tabs say it.
bool CatalogueHoldsRows(CatalogueConnection& connection, const Settings& settings, bool fileDsnSelected);

}  // namespace tessarine
