#pragma once
// Real pictures for the window's tests (see PictureFiles.cpp).

#include <filesystem>

namespace tessarine::test {

enum class PictureKind { Png, Webp, Jpeg };
// A width x height picture of noise; false when the library could not save it.
bool SavePicture(const std::filesystem::path& path, PictureKind kind, int width, int height);

}  // namespace tessarine::test
