#pragma once
// Opens a file or web address with the desktop's default application.

class QString;

namespace tessarine {

// Returns false when nothing could be opened (an empty target included); callers ignore it.
bool OpenDocument(const QString& target);

}  // namespace tessarine
