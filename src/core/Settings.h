#pragma once
// The configuration model and its settings file. Every option is written back the
// moment it changes; the connection and table names at a few fixed moments.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CustomXmpDefinition.h"
#include "core/DbmsKind.h"
#include "core/Error.h"

namespace tessarine {

// Where the main window stood when it last closed: its frame's top-left corner, its inner size.
struct WindowPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
};

inline constexpr int kDefaultStaleLockSeconds = 120;
inline constexpr int kDefaultWatchPollSeconds = 300;

struct Settings {
  // [Connection]
  std::string dsn;
  bool fileDsn = false;
  std::string login;
  std::string password;
  // [Connection] DSN is in the file, even empty: the user named a data source, or cleared it, once.
  // A settings file without it has never named one (a first start).
  bool dsnStored = false;
  // [Database]
  DbmsKind dbms = DbmsKind::MySqlPostgreSqlEtc;
  // The table names as typed or stored; a statement takes one only through TableName::Of.
  std::string folders = "Folders";
  std::string images = "Images";
  // A scan's or check's lock on its folders whose holder has not answered for this long (it
  // crashed, its machine went away) is taken over by the next one.
  int staleLockSeconds = kDefaultStaleLockSeconds;
  // [Configuration]
  bool createThumbnails = false;
  bool reCreateThumbnails = false;
  // A thumbnail is made from a preview the camera embedded, when one is the same picture.
  bool thumbnailsFromPreviews = true;
  // A rescan reads only the files that are new or whose size or last write differ from their row.
  bool onlyChangedFiles = false;
  // The window watches the listed folders and rescans them as they change.
  bool keepCatalogueCurrent = false;
  // How often `tessarine watch` rescans (with the rule of onlyChangedFiles) the trees no folder
  // watch can follow: those on network file systems, or past the system's limit of watches.
  int watchPollSeconds = kDefaultWatchPollSeconds;
  // A scan reads every byte of each file for a hash of its content, by which copies are found.
  bool hashFiles = false;
  // Read XMP and IIM where the classic rules miss them (other encodings and containers, sidecars).
  bool modernFormats = true;
  // [Metadata]
  bool onlyIptc = false;
  bool xmpOverIptc = true;
  // With XMP collected, a column the packet lacks takes the file's IIM value instead of staying empty.
  bool keepIimWhenXmpMissing = false;
  // [Audit] Require: the fields every photo must have before it goes out, as the user lists them
  // ("Byline, Caption, CopyrightNotice"); what the window's audit and `tessarine audit` ask for.
  std::string auditRequire;
  // [XMPCustomized]
  CustomXmpDefinition custom;
  // [Window]: nothing until the window first closes, or when the stored place is unreadable.
  std::optional<WindowPlace> window;
  // [Window] LastFolder: the folder last added to the list, where the folder picker starts.
  std::string lastFolder;
  // The settings file is there but could not be read (kind SettingsFile): every operation says so
  // and does nothing; the file is never written.
  std::optional<Error> readError;
};

// Fills every field from the file, with the defaults for whatever is missing. Never writes. A file
// that is there but cannot be read gives the defaults and its readError. A table
// name that is not a valid one (TableName) is kept as stored, not replaced by the default: the
// default may name another catalogue's table, which a scan or a table creation would then change.
// The file stays loadable; the operations refuse that table until the name is corrected, and
// InvalidTableNameWarnings says so when the file is loaded.
Settings LoadSettings(const std::filesystem::path& file);

// One warning for each table name of the settings that is not a valid table name, naming the
// settings file and its key, with the rule.
std::vector<std::string> InvalidTableNameWarnings(const Settings& settings, const std::filesystem::path& file);

// Removes spaces at both ends, as the boxes' texts are stored.
std::string TrimSpaces(std::string_view text);

// Takes the connection boxes (trimmed) into settings and writes DSN, FileDSN, Login, Password.
// False when the file could not be written (the settings in memory are taken all the same).
bool SaveConnection(Settings& settings, const std::filesystem::path& file, std::string_view dsnBox,
                    bool fileDsnSelected, std::string_view loginBox, std::string_view passwordBox);

// Takes the two table-name boxes (trimmed) into settings and writes Folders, then Images.
void SaveTables(Settings& settings, const std::filesystem::path& file, std::string_view foldersBox,
                std::string_view imagesBox);

// The option stores, one per option control.
void StoreDbms(Settings& settings, const std::filesystem::path& file, DbmsKind kind);
void StoreCreateThumbnails(Settings& settings, const std::filesystem::path& file, bool on);
void StoreReCreateThumbnails(Settings& settings, const std::filesystem::path& file, bool on);
void StoreThumbnailsFromPreviews(Settings& settings, const std::filesystem::path& file, bool on);
void StoreOnlyIptc(Settings& settings, const std::filesystem::path& file, bool on);
void StoreOnlyChangedFiles(Settings& settings, const std::filesystem::path& file, bool on);
void StoreKeepCatalogueCurrent(Settings& settings, const std::filesystem::path& file, bool on);
void StoreModernFormats(Settings& settings, const std::filesystem::path& file, bool on);
void StoreKeepIimWhenXmpMissing(Settings& settings, const std::filesystem::path& file, bool on);
void StoreXmpOverIptc(Settings& settings, const std::filesystem::path& file, bool on);
// Writes [Audit] Require (trimmed); false when the file could not be written, or the list is too
// long for a setting (kMaxSettingLength), when it is kept in memory only.
bool StoreAuditRequire(Settings& settings, const std::filesystem::path& file, std::string_view fields);

// Writes [Window] Left, Top, Width, Height, Maximized.
void StoreWindowPlace(Settings& settings, const std::filesystem::path& file, const WindowPlace& place);
// Writes [Window] LastFolder; a path that would not fit on one line of the file is kept in memory only.
void StoreLastFolder(Settings& settings, const std::filesystem::path& file, const std::string& folder);
// Sets the custom definitions and writes all 230 keys of [XMPCustomized], empty ones included.
void SaveCustomXmp(Settings& settings, const std::filesystem::path& file, const CustomXmpDefinition& definition);

}  // namespace tessarine
