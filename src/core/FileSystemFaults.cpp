#include "core/FileSystemFaults.h"

#include <atomic>

namespace tessarine {
namespace {

std::atomic<FileSystemFaultHook> g_hook{nullptr};

}  // namespace

void SetFileSystemFaultHook(FileSystemFaultHook hook) { g_hook.store(hook); }

int InjectedFileSystemFault(std::string_view call, std::string_view path) {
  const FileSystemFaultHook hook = g_hook.load();
  return hook ? hook(call, path) : 0;
}

}  // namespace tessarine
