#pragma once
// Files the check deletes go to the user's trash (the desktop's trash folders), never unlinked,
// so that a mistaken deletion can be undone.

#include <string>

namespace tessarine {

// Moves the file at the path (its bytes) to the trash. False, with the reason, when it cannot.
bool MoveToTrash(const std::string& pathBytes, std::string& reason);

}  // namespace tessarine
