#include "workflows/verify/Trash.h"

#include <gio/gio.h>

namespace tessarine {

// GIO takes the path as bytes, so a name that is not UTF-8 reaches the trash as it is on disk.
bool MoveToTrash(const std::string& pathBytes, std::string& reason) {
  GFile* file = g_file_new_for_path(pathBytes.c_str());
  GError* error = nullptr;
  const bool moved = g_file_trash(file, nullptr, &error) != FALSE;
  if (!moved) reason = error != nullptr ? error->message : "unknown error";
  if (error != nullptr) g_error_free(error);
  g_object_unref(file);
  return moved;
}

}  // namespace tessarine
