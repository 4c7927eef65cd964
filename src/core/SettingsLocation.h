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

// The folders of an installation, as the build was configured (the GNU install directories).
enum class InstalledFolder {
  Data,     // <datadir>/tessarine-pro: the manual, the licence
  Helpers,  // <libexecdir>/tessarine: the decoder
};

// That folder for a program installed into the configured bin directory, found from the program's
// own folder (<prefix>/<bindir>), so that an installation works under any prefix; a configured
// directory that is absolute is taken as it is. Empty for a program elsewhere (a build tree, a
// portable folder).
std::filesystem::path InstalledFolderOf(const std::filesystem::path& programFolder, InstalledFolder folder);

// A file the program ships with (the manual "Help/TessarinePro.pdf", the licence
// "license-fi.txt"), given relative to the program's folder: beside the program when it is there
// (the build tree, a portable folder), else, for an installed program, the one in its data
// folder. A file found nowhere is named where that program expects it.
std::filesystem::path ProgramDataFile(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& relative);

// Where the user's own data lives, such as the embedded catalogue: $XDG_DATA_HOME/tessarine-pro
// (default ~/.local/share/tessarine-pro). Not created here.
std::filesystem::path UserDataFolder();

// SettingsFolder() / "Tessarine PRO.ini".
std::filesystem::path DefaultSettingsFile();

// The dump of the last XMP packet that failed to parse, beside the given settings file.
std::filesystem::path ParsingErrorDumpFile(const std::filesystem::path& settingsFile);

}  // namespace tessarine
