#pragma once

#include <filesystem>

namespace tessarine {

// The folder that holds the settings file and the XMP dump file:
// $TESSARINE_HOME when set; else the program's own folder when it is writable, not a system
// folder and not a bin/ folder (a portable install); else $XDG_CONFIG_HOME/tessarine-pro
// (default ~/.config/tessarine-pro), created on demand.
std::filesystem::path SettingsFolder();
// The same for a program that lives in the given folder.
std::filesystem::path SettingsFolder(const std::filesystem::path& programFolder);

// The folder of the running executable.
std::filesystem::path ProgramFolder();

// A file the program ships with (the manual "Help/TessarinePro.pdf", the licence
// "license-fi.txt"), given relative to the program's folder: beside the program when it is there
// (the build tree, a portable folder), else, for a program installed into <prefix>/bin, the one
// in <prefix>/share/tessarine-pro. A file found nowhere is named where that program expects it.
std::filesystem::path ProgramDataFile(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& relative);

// SettingsFolder() / "Tessarine PRO.ini".
std::filesystem::path DefaultSettingsFile();

// The dump of the last XMP packet that failed to parse, beside the given settings file.
std::filesystem::path ParsingErrorDumpFile(const std::filesystem::path& settingsFile);

}  // namespace tessarine
