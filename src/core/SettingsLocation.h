#pragma once

#include <filesystem>

namespace tessarine {

// The folder that holds the settings file and the XMP dump file:
// $TESSARINE_HOME when set; else the program's own folder when it is writable and
// not a system folder (a portable install); else $XDG_CONFIG_HOME/tessarine-pro
// (default ~/.config/tessarine-pro), created on demand.
std::filesystem::path SettingsFolder();

// The folder of the running executable.
std::filesystem::path ProgramFolder();

// SettingsFolder() / "Tessarine PRO.ini".
std::filesystem::path DefaultSettingsFile();

// The dump of the last XMP packet that failed to parse, beside the given settings file.
std::filesystem::path ParsingErrorDumpFile(const std::filesystem::path& settingsFile);

}  // namespace tessarine
