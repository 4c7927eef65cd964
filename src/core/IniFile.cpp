#include "core/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "core/FileSystemFaults.h"
#include "core/NoFollowFile.h"

namespace tessarine {
namespace {

struct Line {
  std::size_t begin;    // first byte of the line
  std::size_t end;      // one past the last byte before the line break
  std::size_t next;     // first byte of the next line
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A byte order mark before the first line belongs to no line: it stays where it is in a rewrite.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
  while (pos < text.size()) {
    std::size_t lf = text.find('\n', pos);
    std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// "[name]" gives name; anything else gives nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

struct Entry {
  std::string_view key;
  std::string_view value;
};

std::optional<Entry> EntryOf(std::string_view line) {
  std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Entry{TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1))};
}

// Cuts a UTF-8 text after max characters; a byte that is not part of a valid
// sequence counts as one character, so the cut never splits a character.
std::string CutToCharacters(std::string_view value, std::size_t max) {
  std::size_t pos = 0;
  std::size_t count = 0;
  while (pos < value.size() && count < max) {
    auto lead = static_cast<unsigned char>(value[pos]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (length > value.size() - pos) length = 1;
    for (std::size_t i = 1; i < length; ++i) {
      if ((static_cast<unsigned char>(value[pos + i]) & 0xC0) != 0x80) {
        length = 1;
        break;
      }
    }
    pos += length;
    ++count;
  }
  return std::string(value.substr(0, pos));
}

// A value must stay on one line of the file.
std::string OneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

// The entries of every part of the text under the section's heading, in order, repeats included.
std::vector<Entry> EntriesOfSection(std::string_view text, std::string_view section) {
  std::vector<Entry> entries;
  bool inSection = false;
  for (const Line& line : SplitLines(text)) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (auto name = SectionName(content)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto entry = EntryOf(content)) entries.push_back(*entry);
  }
  return entries;
}

}  // namespace

std::string ReadSettingFromText(std::string_view text, std::string_view section, std::string_view key) {
  return FindSettingInText(text, section, key).value_or(std::string());
}

std::optional<std::string> FindSettingInText(std::string_view text, std::string_view section, std::string_view key) {
  for (const Entry& entry : EntriesOfSection(text, section)) {
    if (EqualsNoCase(entry.key, key)) return CutToCharacters(entry.value, kMaxSettingLength);
  }
  return std::nullopt;
}

std::vector<SettingEntry> SectionEntriesInText(std::string_view text, std::string_view section) {
  std::vector<SettingEntry> entries;
  for (const Entry& entry : EntriesOfSection(text, section)) {
    const bool seen = std::ranges::any_of(entries, [&](const SettingEntry& e) { return EqualsNoCase(e.key, entry.key); });
    if (!seen) entries.push_back({std::string(entry.key), std::string(entry.value)});
  }
  return entries;
}

std::string WriteSettingToText(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value) {
  const std::string_view newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::string entryLine = std::string(key) + "=" + OneLine(value);

  const std::vector<Line> lines = SplitLines(text);
  bool inSection = false;
  bool sectionFound = false;
  std::optional<std::size_t> lastContentEnd;  // where a new key of the section goes
  for (const Line& line : lines) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (auto name = SectionName(content)) {
      if (inSection) break;  // the section ended without the key
      inSection = EqualsNoCase(*name, section);
      if (inSection) {
        sectionFound = true;
        lastContentEnd = line.next;
      }
      continue;
    }
    if (!inSection) continue;
    if (auto entry = EntryOf(content); entry && EqualsNoCase(entry->key, key)) {
      // Replace the line in place; its line break stays.
      return std::string(text.substr(0, line.begin)) + entryLine + std::string(text.substr(line.end));
    }
    if (!TrimBlanks(content).empty()) lastContentEnd = line.next;
  }

  std::string result(text);
  if (sectionFound) {
    std::size_t at = *lastContentEnd;
    std::string insert = entryLine + std::string(newline);
    if (at > 0 && result[at - 1] != '\n') insert = std::string(newline) + insert;
    result.insert(at, insert);
    return result;
  }
  if (!result.empty() && result.back() != '\n') result += newline;
  result += "[" + std::string(section) + "]" + std::string(newline) + entryLine + std::string(newline);
  return result;
}

Expected<std::string> ReadIniFile(const std::filesystem::path& file) {
  std::string text;
  const FileDescriptor in(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  int error = in ? 0 : errno;
  if (const int injected = InjectedFileSystemFault("open settings", file.native())) error = injected;
  if (error == ENOENT) return text;  // no file yet: every key is missing
  struct stat info {};
  if (error == 0 && ::fstat(in.Get(), &info) != 0) error = errno;
  if (error == 0 && !S_ISREG(info.st_mode)) error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
  char buffer[8192];
  while (error == 0) {
    const ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (error != 0) {
    return Error(ErrorKind::SettingsFile, "Cannot read the settings file " + file.string() + ": " + std::strerror(error));
  }
  return text;
}

std::string ReadSetting(const std::filesystem::path& file, std::string_view section, std::string_view key) {
  const Expected<std::string> text = ReadIniFile(file);
  if (!text) return {};
  return ReadSettingFromText(*text, section, key);
}

namespace {

// The file a settings path names: the end of its chain of symbolic links, or the path itself.
// A link that leads nowhere leads to the file it names, which a write creates.
std::filesystem::path LinkTarget(std::filesystem::path file) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(file, ec)) return file;
    const std::filesystem::path next = std::filesystem::read_symlink(file, ec);
    if (ec) return file;
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return file;  // a loop: the write then fails on the link, which is never replaced
}

// Writes beside the file and renames over it, so a crash never leaves half a file. The settings
// file holds the database password: a new one is readable by its owner only, and an existing one
// keeps its own mode (a write never makes it more open).
bool ReplaceSettingsFile(const std::filesystem::path& file, const std::string& updated) {
  const std::filesystem::path target = LinkTarget(file);
  const std::filesystem::path folderPath = target.has_parent_path() ? target.parent_path() : ".";
  std::error_code ec;
  std::filesystem::create_directories(folderPath, ec);
  const FileDescriptor folder = OpenFolder(folderPath, FolderLinks::Follow);
  if (!folder) return false;
  const std::string name = target.filename().string();
  struct stat existing {};
  mode_t mode = S_IRUSR | S_IWUSR;
  if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(existing.st_mode)) return false;  // still a link after 40 hops: a loop
    mode = existing.st_mode & 07777;
  }
  return ReplaceFile(folder.Get(), name, mode, ModeRule::Exact, [&](int fd) { return WriteAll(fd, updated); }) == 0;
}

}  // namespace

bool WriteSetting(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value) {
  const Expected<std::string> text = ReadIniFile(file);
  if (!text) return false;  // never written over what could not be read
  return ReplaceSettingsFile(file, WriteSettingToText(*text, section, key, value));
}

bool WriteSettings(const std::filesystem::path& file, std::string_view section,
                   const std::vector<SettingEntry>& entries) {
  Expected<std::string> text = ReadIniFile(file);
  if (!text) return false;  // never written over what could not be read
  std::string updated = std::move(text.Value());
  for (const SettingEntry& entry : entries) updated = WriteSettingToText(updated, section, entry.key, entry.value);
  return ReplaceSettingsFile(file, updated);
}

}  // namespace tessarine
