#pragma once
// FreeImage's I/O functions over a stdio stream, as FreeImage_Load and FreeImage_Save use them on a
// stream they open themselves: here the stream is one the program opened and checked (see
// RegularFile), so that the library never opens a path.

#include <FreeImage.h>

namespace tessarine {

// The functions for FreeImage_LoadFromHandle and FreeImage_SaveToHandle; the handle is a FILE*.
FreeImageIO StdioImageIo();

}  // namespace tessarine
