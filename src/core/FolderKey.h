#pragma once
// A folder of the catalogue, as the disk and the tables know it. The disk knows a path as bytes;
// the tables store text: the bytes themselves when they are UTF-8, else the bytes read as
// Windows-1252 (NameToText of the whole path). Both forms are absolute, with "/" separators and
// exactly one trailing "/". Every statement that names a folder takes its text from here, so the
// folders table, the images table's Folder column and the check agree on every folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarine {

class FolderKey {
 public:
  FolderKey() = default;

  // A path's bytes as the disk has them.
  static FolderKey FromPath(std::string_view pathBytes);
  // A folder as a table stores it. The bytes on disk are found again: the text's own bytes, else
  // its Windows-1252 bytes when those name a folder that exists and read back as this text. A text
  // that is not UTF-8 (stored by an earlier version as the path's bytes) is taken as the bytes.
  static FolderKey FromStoredText(std::string_view text);

  const std::string& Bytes() const { return m_bytes; }
  const std::string& Text() const { return m_text; }
  // The folders-table row's own value: the text, except for a row an earlier version wrote as the
  // path's bytes, which is addressed as it stands.
  const std::string& StoredText() const { return m_stored; }
  bool Empty() const { return m_bytes.empty(); }

  // The subfolder of the given name (its bytes).
  FolderKey Child(std::string_view nameBytes) const;
  // True when `other` is this folder or lies below it (compared by text, as the tables do).
  bool Contains(const FolderKey& other) const;

  friend bool operator==(const FolderKey& a, const FolderKey& b) { return a.m_text == b.m_text; }

 private:
  FolderKey(std::string bytes, std::string text, std::string stored)
      : m_bytes(std::move(bytes)), m_text(std::move(text)), m_stored(std::move(stored)) {}

  std::string m_bytes;
  std::string m_text;
  std::string m_stored;
};

// The Windows-1252 bytes of a UTF-8 text, or nothing when a character has no such byte.
std::optional<std::string> TextToWindows1252(std::string_view text);
// The byte forms a name stored as text may have on disk: the text itself and, when it differs and
// reads back as the same text, its Windows-1252 bytes.
std::vector<std::string> NameBytesOf(std::string_view text);

}  // namespace tessarine
