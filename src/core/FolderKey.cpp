#include "core/FolderKey.h"

#include <sys/stat.h>

#include <optional>
#include <vector>

#include "core/TextDecoding.h"

namespace tessarine {
namespace {

// "/" separators kept, repeated trailing ones dropped, exactly one added.
std::string WithOneTrailingSlash(std::string_view path) {
  std::string text(path);
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

bool IsFolder(const std::string& bytes) {
  struct stat info {};
  return ::stat(bytes.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Decodes one UTF-8 sequence at `at` (the text is valid UTF-8) and moves past it.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto b = static_cast<unsigned char>(text[at]);
  const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  char32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
  for (int i = 1; i < length; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  at += static_cast<std::size_t>(length);
  return cp;
}

}  // namespace

// The Windows-1252 bytes of a UTF-8 text, or nothing when a character has no such byte.
std::optional<std::string> TextToWindows1252(std::string_view text) {
  std::string bytes;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = at;
    const char32_t cp = NextCodePoint(text, at);
    if (cp < 0x80) {
      bytes.push_back(static_cast<char>(cp));
      continue;
    }
    const std::string_view character = text.substr(start, at - start);
    bool found = false;
    for (int b = 0x80; b <= 0xFF && !found; ++b) {
      const char byte = static_cast<char>(b);
      if (DecodeWindows1252(std::string_view(&byte, 1)) == character) {
        bytes.push_back(byte);
        found = true;
      }
    }
    if (!found) return std::nullopt;
  }
  return bytes;
}

std::vector<std::string> NameBytesOf(std::string_view text) {
  std::vector<std::string> names{std::string(text)};
  if (const std::optional<std::string> bytes = TextToWindows1252(text); bytes && *bytes != text && NameToText(*bytes) == text) {
    names.push_back(*bytes);
  }
  return names;
}

FolderKey FolderKey::FromPath(std::string_view pathBytes) {
  std::string bytes = WithOneTrailingSlash(pathBytes);
  std::string text = NameToText(bytes);
  std::string stored = text;
  return FolderKey(std::move(bytes), std::move(text), std::move(stored));
}

FolderKey FolderKey::FromStoredText(std::string_view stored) {
  const std::string text = WithOneTrailingSlash(stored);
  if (!IsValidUtf8(text)) {
    FolderKey legacy = FromPath(text);
    legacy.m_stored = std::string(stored);
    return legacy;
  }
  if (!IsFolder(text)) {
    const std::optional<std::string> bytes = TextToWindows1252(text);
    if (bytes && NameToText(*bytes) == text && IsFolder(*bytes)) return FolderKey(*bytes, text, std::string(stored));
  }
  return FolderKey(text, text, std::string(stored));
}

FolderKey FolderKey::Child(std::string_view nameBytes) const {
  return FromPath(m_bytes + std::string(nameBytes));
}

bool FolderKey::Contains(const FolderKey& other) const {
  return !m_text.empty() && other.m_text.compare(0, m_text.size(), m_text) == 0;
}

}  // namespace tessarine
