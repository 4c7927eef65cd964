#pragma once
// The message boxes of a file's reading: a file that could not be read to its end, and an XMP
// packet that did not parse.

#include <vector>

#include "core/UserPort.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

// Shows each alert in order: a read error with a critical icon under the window title, a parse
// error with no icon under the program's name.
void ShowReadAlerts(UserPort& port, const std::vector<ReadAlert>& alerts);

}  // namespace tessarine
