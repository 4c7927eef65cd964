#include "workflows/browse/SavedSearches.h"

#include <cstdio>
#include <functional>

#include "core/IniFile.h"

namespace tessarine {
namespace {

constexpr std::string_view kSection = "Searches";
constexpr std::string_view kSeparator = "; ";
constexpr std::size_t kMaxNameLength = 64;

std::string Escaped(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '%') out += "%25";
    else if (c == ';') out += "%3B";
    else if (c == '\r') out += "%0D";
    else if (c == '\n') out += "%0A";
    else out += c;
  }
  return out;
}

std::optional<std::string> Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    const std::string_view code = value.substr(i + 1, 2);
    if (code == "25") out += '%';
    else if (code == "3B") out += ';';
    else if (code == "0D") out += '\r';
    else if (code == "0A") out += '\n';
    else return std::nullopt;
    i += 2;
  }
  return out;
}

std::string Decimal(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}

// A day option's value into the filter; false when it is no day.
bool TakeDay(std::optional<SearchDay>& day, const std::string& value) {
  day = SearchDay::Parse(value);
  return day.has_value();
}

}  // namespace

std::string EncodeSearch(const SearchFilter& filter) {
  std::string text;
  const auto add = [&](std::string_view option, std::string_view value) {
    if (value.empty()) return;
    if (!text.empty()) text += kSeparator;
    text.append(option).append("=").append(Escaped(value));
  };
  add("words", filter.words);
  if (filter.folder) add("folder", filter.folder->Text());
  if (filter.from) add("from", filter.from->Dashed());
  if (filter.to) add("to", filter.to->Dashed());
  if (filter.takenFrom) add("taken-from", filter.takenFrom->Dashed());
  if (filter.takenTo) add("taken-to", filter.takenTo->Dashed());
  add("camera", filter.camera);
  if (filter.near) {
    add("near", Decimal(filter.near->latitude) + "," + Decimal(filter.near->longitude) + "," +
                    Decimal(filter.near->kilometres));
  }
  for (const std::string& keyword : filter.keywords) add("keyword", keyword);
  add("digital-source", filter.digitalSource);
  if (filter.withCopies) add("copies", "1");
  for (const std::string& field : filter.missing) add("missing", field);
  return text;
}

std::optional<SearchFilter> DecodeSearch(std::string_view text) {
  SearchFilter filter;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(';', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view part = text.substr(at, end - at);
    at = end + 1;
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    if (part.empty()) continue;
    const std::size_t eq = part.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view option = part.substr(0, eq);
    const std::optional<std::string> value = Unescaped(part.substr(eq + 1));
    if (!value) return std::nullopt;
    bool taken = true;
    if (option == "words") filter.words = *value;
    else if (option == "folder") filter.folder = FolderKey::FromStoredText(*value);
    else if (option == "from") taken = TakeDay(filter.from, *value);
    else if (option == "to") taken = TakeDay(filter.to, *value);
    else if (option == "taken-from") taken = TakeDay(filter.takenFrom, *value);
    else if (option == "taken-to") taken = TakeDay(filter.takenTo, *value);
    else if (option == "camera") filter.camera = *value;
    else if (option == "near") taken = (filter.near = ParseNear(*value)).has_value();
    else if (option == "keyword") filter.keywords.push_back(*value);
    else if (option == "digital-source") filter.digitalSource = *value;
    else if (option == "copies") filter.withCopies = *value == "1";
    else if (option == "missing") filter.missing.push_back(*value);
    else taken = false;
    if (!taken) return std::nullopt;
  }
  return filter;
}

bool IsSearchName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name.front() == ' ' || name.back() == ' ') return false;
  for (char c : name) {
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != ' ' && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

Status SaveSearch(const std::filesystem::path& settingsFile, std::string_view name, const SearchFilter& filter) {
  if (!IsSearchName(name)) {
    return Error(ErrorKind::Search, "Not a name for a search: '" + std::string(name) +
                                        "' (1 to 64 letters, digits, spaces, \"_\", \"-\" and \".\")");
  }
  const std::string text = EncodeSearch(filter);
  if (text.size() > kMaxSavedSearchBytes) {
    return Error(ErrorKind::Search, "The search is too long to keep: at most " + std::to_string(kMaxSavedSearchBytes) +
                                        " bytes, this one takes " + std::to_string(text.size()));
  }
  if (!WriteSetting(settingsFile, kSection, name, text)) {
    return Error(ErrorKind::SettingsFile, "The search could not be kept: the settings file " + settingsFile.string() +
                                              " cannot be written");
  }
  return {};
}

std::vector<SavedSearch> SavedSearches(const std::filesystem::path& settingsFile) {
  std::vector<SavedSearch> searches;
  const Expected<std::string> text = ReadIniFile(settingsFile);
  if (!text) return searches;
  for (const SettingEntry& entry : SectionEntriesInText(*text, kSection)) {
    if (!IsSearchName(entry.key) || entry.value.empty() || entry.value.size() > kMaxSavedSearchBytes) continue;
    if (std::optional<SearchFilter> filter = DecodeSearch(entry.value)) searches.push_back({entry.key, *filter});
  }
  return searches;
}

}  // namespace tessarine
