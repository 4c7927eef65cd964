#pragma once
// Searches kept by name in the settings file, for the window and the find command alike: section
// [Searches], one key a search, its filters as "option=value" pairs separated by "; " with the
// find command's option names ("words=beach; keyword=Places|Norway; taken-from=2024-05-01"). A
// "%", ";" or line break inside a value is written %25, %3B, %0D, %0A. A search is kept whole, up to
// kMaxSavedSearchBytes: a longer one is refused, never cut.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "workflows/browse/SearchFilter.h"

namespace tessarine {

inline constexpr std::size_t kMaxSavedSearchBytes = 4'000;

struct SavedSearch {
  std::string name;
  SearchFilter filter;
};

// The filter as a settings value, and back; nothing for a text with a part this version does not
// know (a newer version's) or a value it cannot take.
std::string EncodeSearch(const SearchFilter& filter);
std::optional<SearchFilter> DecodeSearch(std::string_view text);

// Whether a name can name a saved search: 1 to 64 characters, ASCII letters, digits, spaces, "_",
// "-" and ".", not beginning or ending with a space.
bool IsSearchName(std::string_view name);

// Keeps the search under its name (in place of one of the same name, letter case ignored). Refused,
// with an Error saying why, for a name that is none, a search too long for a setting, or a settings
// file that cannot be written.
Status SaveSearch(const std::filesystem::path& settingsFile, std::string_view name, const SearchFilter& filter);

// The saved searches, in the file's order; those this version cannot read are left out.
std::vector<SavedSearch> SavedSearches(const std::filesystem::path& settingsFile);

}  // namespace tessarine
