#pragma once
// Which driver opens a data source, and which connect-string values reach it braced and are read
// as one value. A value whose braces are lost or ignored is split at its first ";" by the driver,
// so a password such as "x;Database=/elsewhere/other.sqlite" would open another database.

#include <string>
#include <string_view>

#include "catalogue/ConnectString.h"

namespace tessarine {

// The library of the driver of a user or system data source: the data source's "Driver" entry in
// odbc.ini and, when that names a driver of odbcinst.ini, that driver's "Driver" entry. Empty when
// the data source or its driver entry is not found.
std::string DataSourceDriverLibrary(std::string_view dsn);

// Whether odbcinst.ini registers the driver of that name with a library that is there.
bool DriverInstalled(std::string_view driver);

// The values whose braces the driver of the source reads (see the measurements in the source).
// A file data source has none: the driver manager hands its entries on without braces.
BracedValues BracedValuesOf(const DataSource& source);

// Why the value of the key (UnsafeConnectValue) cannot be handed to the source's driver: the
// message of the refused connection.
std::string UnsafeValueText(const DataSource& source, std::string_view key);

}  // namespace tessarine
