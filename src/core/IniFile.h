#pragma once
// A small INI reader and writer with the rules of the classic profile routines:
// section and key names are matched without regard to case, blanks around a value
// are ignored, an existing key is replaced on its own line, a new key is appended
// at the end of its section, and a read returns at most 254 characters.
//
// It touches only the line it writes: every other byte of the file stays as it was,
// so comments and lines it does not understand survive a write, and so does a UTF-8 byte order
// mark at its start. A file that is there but cannot be read is never written.
//
// The file is replaced as a whole (a new file beside it, renamed over it), keeping its mode; a new
// one is its owner's only. A settings file that is a symbolic link is the user's choice: the file
// it leads to is the one written, in its own folder, and the link stays.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"

namespace tessarine {

inline constexpr std::size_t kMaxSettingLength = 254;

// The value of key in section, or "" when the file, the section or the key is missing.
std::string ReadSetting(const std::filesystem::path& file, std::string_view section, std::string_view key);

// Writes key=value into section, creating the file and the section when needed.
// Returns false when the file could not be read or written; callers may ignore it.
bool WriteSetting(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value);

struct SettingEntry {
  std::string key;
  std::string value;
};

// Writes several entries of one section with a single rewrite of the file, in order.
bool WriteSettings(const std::filesystem::path& file, std::string_view section,
                   const std::vector<SettingEntry>& entries);

// The whole text of the file, "" when there is none; an Error of kind SettingsFile when it is
// there but cannot be read ("Cannot read the settings file <path>: Permission denied").
Expected<std::string> ReadIniFile(const std::filesystem::path& file);

// The same two operations over a file's text, for callers that batch many writes.
std::string ReadSettingFromText(std::string_view text, std::string_view section, std::string_view key);
// The same, telling a key that is there with an empty value from one that is not there at all.
std::optional<std::string> FindSettingInText(std::string_view text, std::string_view section, std::string_view key);
std::string WriteSettingToText(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value);
// Every key of the section with its whole value (not cut as a setting's read cuts it: for sections
// of this program's own), in the file's order; a key met again is the first one's.
std::vector<SettingEntry> SectionEntriesInText(std::string_view text, std::string_view section);

}  // namespace tessarine
