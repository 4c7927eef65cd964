#include "metadata/StdioImageIo.h"

#include <cstdio>

namespace tessarine {
namespace {

std::FILE* StreamOf(fi_handle handle) { return static_cast<std::FILE*>(handle); }

unsigned DLL_CALLCONV ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  return static_cast<unsigned>(std::fread(buffer, size, count, StreamOf(handle)));
}

unsigned DLL_CALLCONV WriteProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  return static_cast<unsigned>(std::fwrite(buffer, size, count, StreamOf(handle)));
}

int DLL_CALLCONV SeekProc(fi_handle handle, long offset, int origin) {
  return std::fseek(StreamOf(handle), offset, origin);
}

long DLL_CALLCONV TellProc(fi_handle handle) { return std::ftell(StreamOf(handle)); }

}  // namespace

FreeImageIO StdioImageIo() { return FreeImageIO{ReadProc, WriteProc, SeekProc, TellProc}; }

}  // namespace tessarine
