#pragma once
// A seam for tests, like the ODBC layer's call hook: when a hook is set, the file-system calls of
// the scan and the check ask it first, and a non-zero answer makes the call fail with that errno
// (an unreadable folder, a listing that breaks off, a file that cannot be opened).

#include <string_view>

namespace tessarine {

// call: "opendir", "readdir", "open", "open settings", or "no entry type" (a non-zero answer lists the
// folder's entries as a file system that does not tell their types); path: the bytes of the folder or file.
using FileSystemFaultHook = int (*)(std::string_view call, std::string_view path);
void SetFileSystemFaultHook(FileSystemFaultHook hook);

// The errno the hook wants this call to fail with, or 0 (always 0 without a hook).
int InjectedFileSystemFault(std::string_view call, std::string_view path);

}  // namespace tessarine
