#pragma once

#include <string_view>

#include "core/Version.h"

namespace tessarine {

// The window caption and the title of the program's message boxes.
inline constexpr std::string_view kWindowTitle = "Tessarine PRO - " TESSARINE_VERSION_TEXT;
inline constexpr std::string_view kVersionText = TESSARINE_VERSION_TEXT;
// The title of the XMP parse-error box, which names the application only.
inline constexpr std::string_view kApplicationTitle = "TessarinePro";

}  // namespace tessarine
