#include "core/SettingsLocation.h"

#include <cstdlib>
#include <string_view>
#include <system_error>
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

// <prefix>/bin: an installed program, whose files lie under <prefix>/share.
bool IsBinFolder(const std::filesystem::path& folder) { return folder.filename() == "bin"; }

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

std::filesystem::path ProgramDataFile(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& relative) {
  std::filesystem::path beside = programFolder / relative;
  std::error_code ec;
  if (!IsBinFolder(programFolder) || std::filesystem::exists(beside, ec)) return beside;
  return programFolder.parent_path() / "share" / "tessarine-pro" / relative;
}

std::filesystem::path DefaultSettingsFile() { return SettingsFolder() / "Tessarine PRO.ini"; }

std::filesystem::path ParsingErrorDumpFile(const std::filesystem::path& settingsFile) {
  return settingsFile.parent_path() / "ParsingError.xmp";
}

}  // namespace tessarine
