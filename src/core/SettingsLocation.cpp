#include "core/SettingsLocation.h"

#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>
#include <unistd.h>

namespace tessarine {
namespace {

bool IsSystemFolder(const std::filesystem::path& folder) {
  const std::string text = folder.string();
  for (std::string_view prefix : {"/usr/", "/bin", "/sbin", "/lib", "/opt/", "/etc/"}) {
    if (text.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

std::filesystem::path EnvPath(const char* name) {
  const char* value = std::getenv(name);
  return (value && *value) ? std::filesystem::path(value) : std::filesystem::path();
}

// A folder of programs: any bin/ (~/.local/bin), or the configured bin directory of an installation.
bool IsBinFolder(const std::filesystem::path& folder) {
  return folder.filename() == "bin" || !InstalledFolderOf(folder, InstalledFolder::Data).empty();
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

std::filesystem::path SettingsFolder() { return SettingsFolder(ProgramFolder()); }

std::filesystem::path SettingsFolder(const std::filesystem::path& program) {
  std::error_code ec;
  if (auto home = EnvPath("TESSARINE_HOME"); !home.empty()) {
    std::filesystem::create_directories(home, ec);
    return home;
  }
  // A writable bin/ (~/.local/bin) holds programs, never their settings.
  if (!IsSystemFolder(program) && !IsBinFolder(program) && ::access(program.c_str(), W_OK) == 0) return program;

  std::filesystem::path config = EnvPath("XDG_CONFIG_HOME");
  if (config.empty()) config = EnvPath("HOME") / ".config";
  std::filesystem::path folder = config / "tessarine-pro";
  std::filesystem::create_directories(folder, ec);
  return folder;
}

std::filesystem::path InstalledFolderOf(const std::filesystem::path& programFolder, InstalledFolder folder) {
  // The prefix is what is left of the program's folder once the bin directory's names are taken
  // off its end.
  const std::filesystem::path bin = std::filesystem::path(TESSARINE_INSTALL_BINDIR).relative_path();
  std::filesystem::path prefix = programFolder.lexically_normal();
  if (!prefix.empty() && !prefix.has_filename()) prefix = prefix.parent_path();  // a trailing "/"
  std::vector<std::filesystem::path> names(bin.begin(), bin.end());
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (prefix.filename() != *name) return {};
    prefix = prefix.parent_path();
  }
  const bool data = folder == InstalledFolder::Data;
  const std::filesystem::path configured(data ? TESSARINE_INSTALL_DATADIR : TESSARINE_INSTALL_LIBEXECDIR);
  return (configured.is_absolute() ? configured : prefix / configured) / (data ? "tessarine-pro" : "tessarine");
}

std::filesystem::path ProgramDataFile(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& relative) {
  std::filesystem::path beside = programFolder / relative;
  std::error_code ec;
  const std::filesystem::path installed = InstalledFolderOf(programFolder, InstalledFolder::Data);
  if (installed.empty() || std::filesystem::exists(beside, ec)) return beside;
  return installed / relative;
}

std::filesystem::path UserDataFolder() {
  std::filesystem::path data = EnvPath("XDG_DATA_HOME");
  if (data.is_relative()) data = EnvPath("HOME") / ".local" / "share";
  return data / "tessarine-pro";
}

std::filesystem::path DefaultSettingsFile() { return SettingsFolder() / "Tessarine PRO.ini"; }

std::filesystem::path ParsingErrorDumpFile(const std::filesystem::path& settingsFile) {
  return settingsFile.parent_path() / "ParsingError.xmp";
}

}  // namespace tessarine
