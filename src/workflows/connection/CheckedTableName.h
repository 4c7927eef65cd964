#pragma once
// How an operation takes a table name from the settings: checked before anything is sent.

#include <string_view>

#include "core/Error.h"
#include "core/TableName.h"
#include "core/UserPort.h"

namespace tessarine {

// The name as a TableName when it is a valid one. Otherwise InvalidTableNameText is shown in a
// message box (exclamation icon, OK, the window title) with a beep, and an error of kind TableName
// is returned: the operation sends nothing to the table.
Expected<TableName> CheckedTableName(UserPort& port, std::string_view name);

}  // namespace tessarine
