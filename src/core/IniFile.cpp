#include "core/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

namespace tessarine {
namespace {

struct Line {
  std::size_t begin;    // first byte of the line
  std::size_t end;      // one past the last byte before the line break
  std::size_t next;     // first byte of the next line
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
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

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string ReadSettingFromText(std::string_view text, std::string_view section, std::string_view key) {
  bool inSection = false;
  for (const Line& line : SplitLines(text)) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (auto name = SectionName(content)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    if (auto entry = EntryOf(content); entry && EqualsNoCase(entry->key, key)) {
      return CutToCharacters(entry->value, kMaxSettingLength);
    }
  }
  return {};
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

std::string ReadIniText(const std::filesystem::path& file) { return ReadWholeFile(file).value_or(std::string()); }

std::string ReadSetting(const std::filesystem::path& file, std::string_view section, std::string_view key) {
  auto text = ReadWholeFile(file);
  if (!text) return {};
  return ReadSettingFromText(*text, section, key);
}

namespace {

// The settings file holds the database password: a new one is readable by its owner only, and an
// existing one keeps its own mode (a write never makes it more open).
mode_t ModeFor(const std::filesystem::path& file) {
  struct stat existing {};
  if (::stat(file.c_str(), &existing) == 0) return existing.st_mode & 07777;
  return S_IRUSR | S_IWUSR;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Write beside the file and rename over it, so a crash never leaves half a file.
bool ReplaceFile(const std::filesystem::path& file, const std::string& updated) {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  std::filesystem::path temporary = file;
  temporary += ".tmp" + std::to_string(::getpid());
  std::filesystem::remove(temporary, ec);  // one a crashed run left
  const mode_t mode = ModeFor(file);
  // Created with no more than the owner's rights; the mode is set exactly once nothing can read it.
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, updated) && ::fchmod(fd, mode) == 0;
  if (::close(fd) != 0 || !written) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

bool WriteSetting(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value) {
  std::string text = ReadWholeFile(file).value_or(std::string());
  return ReplaceFile(file, WriteSettingToText(text, section, key, value));
}

bool WriteSettings(const std::filesystem::path& file, std::string_view section,
                   const std::vector<SettingEntry>& entries) {
  std::string text = ReadWholeFile(file).value_or(std::string());
  for (const SettingEntry& entry : entries) text = WriteSettingToText(text, section, entry.key, entry.value);
  return ReplaceFile(file, text);
}

}  // namespace tessarine
