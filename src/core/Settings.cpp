#include "core/Settings.h"

#include <vector>

#include "core/IniFile.h"
#include "core/TableName.h"

namespace tessarine {
namespace {

constexpr std::string_view kConnection = "Connection";
constexpr std::string_view kDatabase = "Database";
constexpr std::string_view kConfiguration = "Configuration";
constexpr std::string_view kAudit = "Audit";
constexpr std::string_view kMetadata = "Metadata";
constexpr std::string_view kXmpCustomized = "XMPCustomized";
constexpr std::string_view kWindow = "Window";

const char* Flag(bool on) { return on ? "1" : "0"; }

std::string Numbered(std::string_view name, int i) { return std::string(name) + std::to_string(i); }
std::string Numbered(std::string_view name, int i, int j) {
  return std::string(name) + std::to_string(i) + "_" + std::to_string(j);
}

DbmsKind DbmsFromText(const std::string& text) {
  if (text == "1") return DbmsKind::Oracle;
  if (text == "2") return DbmsKind::SqlServer;
  if (text == "3") return DbmsKind::Sqlite;
  return DbmsKind::MySqlPostgreSqlEtc;
}

// A whole decimal number of at most six digits with an optional minus sign; nothing otherwise.
std::optional<int> SmallNumber(const std::string& text) {
  std::string_view digits = text;
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

template <typename Read>
std::optional<WindowPlace> ReadWindowPlace(Read read) {
  const auto left = SmallNumber(read(kWindow, "Left"));
  const auto top = SmallNumber(read(kWindow, "Top"));
  const auto width = SmallNumber(read(kWindow, "Width"));
  const auto height = SmallNumber(read(kWindow, "Height"));
  if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
  return WindowPlace{*left, *top, *width, *height, read(kWindow, "Maximized") == "1"};
}

// A stored number of seconds from 1 to a day; anything else (none, text, out of range) is the default.
int SecondsOf(const std::string& stored, int fallback) {
  const auto seconds = SmallNumber(stored);
  return seconds && *seconds >= 1 && *seconds <= 86400 ? *seconds : fallback;
}

}  // namespace

std::string TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

Settings LoadSettings(const std::filesystem::path& file) {
  // One read of the file; every key is then looked up in its text.
  const Expected<std::string> read = ReadIniFile(file);
  const std::string text = read ? read.Value() : std::string();
  auto value = [&](std::string_view section, std::string_view key) { return ReadSettingFromText(text, section, key); };
  auto orDefault = [](std::string stored, const char* fallback) { return stored.empty() ? std::string(fallback) : stored; };

  Settings s;
  s.dsn = value(kConnection, "DSN");
  s.dsnStored = FindSettingInText(text, kConnection, "DSN").has_value();
  s.fileDsn = value(kConnection, "FileDSN") == "1";
  s.login = value(kConnection, "Login");
  s.password = value(kConnection, "Password");

  s.dbms = DbmsFromText(value(kDatabase, "DBMS"));
  s.folders = orDefault(value(kDatabase, "Folders"), "Folders");
  s.images = orDefault(value(kDatabase, "Images"), "Images");
  s.staleLockSeconds = SecondsOf(value(kDatabase, "StaleLockSeconds"), kDefaultStaleLockSeconds);

  s.createThumbnails = value(kConfiguration, "CreateThumbnails") == "1";
  s.reCreateThumbnails = value(kConfiguration, "ReCreateThumbnails") == "1";
  s.modernFormats = value(kConfiguration, "ModernFormats") != "0";
  s.thumbnailsFromPreviews = value(kConfiguration, "ThumbnailsFromPreviews") != "0";
  s.onlyChangedFiles = value(kConfiguration, "OnlyChangedFiles") == "1";
  s.hashFiles = value(kConfiguration, "HashFiles") == "1";
  s.keepCatalogueCurrent = value(kConfiguration, "KeepCatalogueCurrent") == "1";
  s.watchPollSeconds = SecondsOf(value(kConfiguration, "WatchPollSeconds"), kDefaultWatchPollSeconds);

  s.onlyIptc = value(kMetadata, "OnlyIPTC") == "1";
  s.xmpOverIptc = value(kMetadata, "XMPOverIPTC") != "0";
  if (s.onlyIptc) s.xmpOverIptc = false;
  s.keepIimWhenXmpMissing = value(kMetadata, "KeepIimWhenXmpMissing") == "1";

  s.auditRequire = value(kAudit, "Require");

  for (int i = 1; i <= kCustomSchemaCount; ++i) {
    CustomXmpSchema& schema = s.custom.schemas[i - 1];
    schema.description = value(kXmpCustomized, Numbered("Description", i));
    schema.ns = value(kXmpCustomized, Numbered("NS", i));
    schema.prefix = value(kXmpCustomized, Numbered("Prefix", i));
    for (int j = 1; j <= kCustomPropertyCount; ++j) {
      CustomXmpProperty& property = schema.properties[j - 1];
      property.xmpFieldName = value(kXmpCustomized, Numbered("XMPFieldName", i, j));
      property.dbFieldName = value(kXmpCustomized, Numbered("DBFieldName", i, j));
    }
  }
  s.window = ReadWindowPlace(value);
  s.lastFolder = value(kWindow, "LastFolder");
  if (!read) s.readError = read.GetError();
  return s;
}

std::vector<std::string> InvalidTableNameWarnings(const Settings& settings, const std::filesystem::path& file) {
  std::vector<std::string> warnings;
  for (const auto& [key, name] : {std::pair<const char*, const std::string&>{"Folders", settings.folders},
                                  std::pair<const char*, const std::string&>{"Images", settings.images}}) {
    if (IsValidTableName(name)) continue;
    warnings.push_back("Settings file " + file.string() + ", [Database] " + key + ": invalid table name '" + name +
                       "'; nothing is sent to this table until the name is corrected.\r\n" +
                       std::string(kTableNameRule));
  }
  return warnings;
}

bool SaveConnection(Settings& settings, const std::filesystem::path& file, std::string_view dsnBox,
                    bool fileDsnSelected, std::string_view loginBox, std::string_view passwordBox) {
  settings.dsn = TrimSpaces(dsnBox);
  settings.dsnStored = true;
  settings.fileDsn = fileDsnSelected;
  settings.login = TrimSpaces(loginBox);
  settings.password = TrimSpaces(passwordBox);
  return WriteSettings(file, kConnection,
                {{"DSN", settings.dsn},
                 {"FileDSN", Flag(settings.fileDsn)},
                 {"Login", settings.login},
                 {"Password", settings.password}});
}

void SaveTables(Settings& settings, const std::filesystem::path& file, std::string_view foldersBox,
                std::string_view imagesBox) {
  settings.folders = TrimSpaces(foldersBox);
  settings.images = TrimSpaces(imagesBox);
  WriteSettings(file, kDatabase, {{"Folders", settings.folders}, {"Images", settings.images}});
}

void StoreDbms(Settings& settings, const std::filesystem::path& file, DbmsKind kind) {
  settings.dbms = kind;
  WriteSetting(file, kDatabase, "DBMS", std::to_string(static_cast<int>(kind)));
}

void StoreCreateThumbnails(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.createThumbnails = on;
  WriteSetting(file, kConfiguration, "CreateThumbnails", Flag(on));
}

void StoreReCreateThumbnails(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.reCreateThumbnails = on;
  WriteSetting(file, kConfiguration, "ReCreateThumbnails", Flag(on));
}

void StoreThumbnailsFromPreviews(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.thumbnailsFromPreviews = on;
  WriteSetting(file, kConfiguration, "ThumbnailsFromPreviews", Flag(on));
}

bool StoreAuditRequire(Settings& settings, const std::filesystem::path& file, std::string_view fields) {
  settings.auditRequire = TrimSpaces(fields);
  // A longer one would lose its end when read again.
  if (settings.auditRequire.size() >= kMaxSettingLength) return false;
  return WriteSetting(file, kAudit, "Require", settings.auditRequire);
}

void StoreOnlyIptc(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.onlyIptc = on;
  WriteSetting(file, kMetadata, "OnlyIPTC", Flag(on));
}

void StoreOnlyChangedFiles(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.onlyChangedFiles = on;
  WriteSetting(file, kConfiguration, "OnlyChangedFiles", Flag(on));
}

void StoreKeepCatalogueCurrent(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.keepCatalogueCurrent = on;
  WriteSetting(file, kConfiguration, "KeepCatalogueCurrent", Flag(on));
}

void StoreModernFormats(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.modernFormats = on;
  WriteSetting(file, kConfiguration, "ModernFormats", Flag(on));
}

void StoreKeepIimWhenXmpMissing(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.keepIimWhenXmpMissing = on;
  WriteSetting(file, kMetadata, "KeepIimWhenXmpMissing", Flag(on));
}

void StoreXmpOverIptc(Settings& settings, const std::filesystem::path& file, bool on) {
  settings.xmpOverIptc = on;
  WriteSetting(file, kMetadata, "XMPOverIPTC", Flag(on));
}

void StoreWindowPlace(Settings& settings, const std::filesystem::path& file, const WindowPlace& place) {
  settings.window = place;
  WriteSettings(file, kWindow,
                {{"Left", std::to_string(place.left)},
                 {"Top", std::to_string(place.top)},
                 {"Width", std::to_string(place.width)},
                 {"Height", std::to_string(place.height)},
                 {"Maximized", Flag(place.maximized)}});
}

void StoreLastFolder(Settings& settings, const std::filesystem::path& file, const std::string& folder) {
  settings.lastFolder = folder;
  if (folder.find_first_of("\r\n") != std::string::npos) return;
  WriteSetting(file, kWindow, "LastFolder", folder);
}

void SaveCustomXmp(Settings& settings, const std::filesystem::path& file, const CustomXmpDefinition& definition) {
  settings.custom = definition;
  std::vector<SettingEntry> entries;
  entries.reserve(230);
  for (int i = 1; i <= kCustomSchemaCount; ++i) {
    const CustomXmpSchema& schema = definition.schemas[i - 1];
    entries.push_back({Numbered("Description", i), schema.description});
    entries.push_back({Numbered("NS", i), schema.ns});
    entries.push_back({Numbered("Prefix", i), schema.prefix});
    for (int j = 1; j <= kCustomPropertyCount; ++j) {
      const CustomXmpProperty& property = schema.properties[j - 1];
      entries.push_back({Numbered("XMPFieldName", i, j), property.xmpFieldName});
      entries.push_back({Numbered("DBFieldName", i, j), property.dbFieldName});
    }
  }
  WriteSettings(file, kXmpCustomized, entries);
}

}  // namespace tessarine
