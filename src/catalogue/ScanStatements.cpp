#include "catalogue/ScanStatements.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <unordered_set>
#include <vector>

#include "core/SearchFolding.h"

namespace tessarine {
namespace {

struct LocalNow {
  std::tm fields{};
  int milliseconds = 0;
};

LocalNow Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  LocalNow result;
  ::localtime_r(&seconds, &result.fields);
  result.milliseconds =
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return result;
}

std::string Table(const TableName& table) { return table.Text(); }

// Binds one column's value: the keys in their stored form, the stamp as a number.
void BindColumn(SqlStatement& statement, const ColumnValues& columns, std::size_t c) {
  if (c == col::ModifyTime) {
    statement.BindInteger(columns[c]);
  } else if (c == col::Folder || c == col::FileName) {
    statement.Bind(KeyText(columns[c]));
  } else {
    statement.Bind(columns[c]);
  }
}

}  // namespace

std::string KeyText(std::string_view text) { return std::string(text); }

std::string FormerKeyText(std::string_view text) {
  std::string key(text);
  std::replace(key.begin(), key.end(), '\\', '/');
  return key;
}

void AddEntryKeys(std::set<std::string>& keys, std::string_view entryText) {
  keys.insert(KeyText(entryText));
  if (HasFormerKeyText(entryText)) keys.insert(std::string(entryText.substr(0, entryText.find('\\'))));
}

bool KeyFits(const SqlDialect& dialect, std::string_view keyText) {
  if (dialect.keyLength == KeyLength::Unbounded) return true;
  if (dialect.keyLength == KeyLength::InBytes) return keyText.size() <= kKeyColumnWidth;
  // A character of UTF-8 text is every byte that does not continue one.
  const auto characters = std::count_if(keyText.begin(), keyText.end(),
                                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  return static_cast<std::size_t>(characters) <= kKeyColumnWidth;
}

std::string FolderTreePattern(std::string_view folderKeyText) {
  std::string pattern;
  pattern.reserve(folderKeyText.size() + 8);
  for (char c : folderKeyText) {
    if (c == '!' || c == '%' || c == '_') pattern += '!';
    pattern += c;
  }
  return pattern + '%';
}

SqlStatement CountFolderRows(const TableName& imagesTable, const FolderKey& folder, const SqlDialect& dialect) {
  SqlStatement count("select count(*) from " + Table(imagesTable) + " where Folder like ? escape '!'");
  count.Bind(FolderTreePattern(FolderKeyText(folder)));
  // Where LIKE ignores ASCII case, "/photos/trip/" would also count "/photos/Trip/", another
  // folder: the key must start the text as it stands.
  if (dialect.likeIgnoresAsciiCase) {
    count.text += " and substr(Folder, 1, length(?)) = ?";
    count.Bind(FolderKeyText(folder)).Bind(FolderKeyText(folder));
  }
  count.text += ";";
  return count;
}

SqlStatement UpdateFolderRow(const TableName& foldersTable, const FolderKey& folder, long long files,
                             std::string_view lastScan) {
  return SqlStatement("update " + Table(foldersTable) + " set Files=?, LastScan=? where Folder=?;")
      .Bind(std::to_string(files))
      .Bind(lastScan)
      .Bind(folder.StoredText());
}

SqlStatement SelectFolderList(const TableName& foldersTable) { return "select * from " + Table(foldersTable) + ";"; }

SqlStatement InsertFolderRow(const TableName& foldersTable, const FolderKey& folder) {
  return SqlStatement("insert into " + Table(foldersTable) + " values(?, '', '');").Bind(FolderKeyText(folder));
}

SqlStatement DeleteFolderRow(const TableName& foldersTable, const FolderKey& folder) {
  return SqlStatement("delete from " + Table(foldersTable) + " where Folder=?;").Bind(folder.StoredText());
}

SqlStatement InsertImageRow(const TableName& imagesTable, const ColumnValues& columns) {
  return InsertImageRows(imagesTable, {&columns, 1});
}

SqlStatement InsertImageRows(const TableName& imagesTable, std::span<const ColumnValues> rows) {
  std::string marks = "(";
  for (std::size_t c = 0; c < kImageColumnCount; ++c) marks += c == 0 ? "?" : ",?";
  marks += ")";
  std::string text = "insert into " + Table(imagesTable) + " values";
  for (std::size_t r = 0; r < rows.size(); ++r) text += (r == 0 ? "" : ",") + marks;
  SqlStatement statement(text + ";");
  statement.values.reserve(rows.size() * kImageColumnCount);
  for (const ColumnValues& columns : rows) {
    for (std::size_t c = 0; c < kImageColumnCount; ++c) BindColumn(statement, columns, c);
  }
  return statement;
}

SqlStatement UpdateImageRow(const TableName& imagesTable, const ColumnValues& columns) {
  std::string text = "update " + Table(imagesTable) + " set ";
  for (std::size_t c = 0; c < kImageColumnCount; ++c) {
    if (c > 0) text += ", ";
    text += ImageColumns()[c].name;
    text += "=?";
  }
  SqlStatement statement(text + " where Folder=? and FileName=?;");
  statement.values.reserve(kImageColumnCount + 2);
  for (std::size_t c = 0; c < kImageColumnCount; ++c) BindColumn(statement, columns, c);
  return statement.Bind(KeyText(columns[col::Folder])).Bind(KeyText(columns[col::FileName]));
}

std::string RowWords(const ColumnValues& columns, std::size_t maxBytes) {
  std::vector<std::size_t> searched(kSearchedFixedColumns.begin(), kSearchedFixedColumns.end());
  for (std::size_t n = 1; n <= kCustomColumnCount; ++n) searched.push_back(CustomColumnIndex(n));
  std::vector<std::string> folded;
  folded.reserve(searched.size());  // never moved: the pieces seen point into them
  std::unordered_set<std::string_view> seen;
  std::string words;
  for (std::size_t column : searched) {
    if (columns[column].empty()) continue;
    const std::string_view text = folded.emplace_back(FoldForSearch(columns[column]));
    for (std::size_t at = 0; at < text.size();) {
      while (at < text.size() && IsSearchBlank(text[at])) ++at;
      const std::size_t start = at;
      while (at < text.size() && !IsSearchBlank(text[at])) ++at;
      const std::string_view piece = text.substr(start, at - start);
      if (piece.empty() || !seen.insert(piece).second) continue;
      if (words.size() + piece.size() + (words.empty() ? 0 : 1) > maxBytes) return words;
      if (!words.empty()) words += ' ';
      words += piece;
    }
  }
  return words;
}

SqlStatement InsertWordsRow(const TableName& wordsTable, const ColumnValues& columns, std::size_t maxBytes,
                            bool replacing) {
  return InsertWordsRows(wordsTable, {&columns, 1}, maxBytes, replacing);
}

SqlStatement InsertWordsRows(const TableName& wordsTable, std::span<const ColumnValues> rows, std::size_t maxBytes,
                             bool replacing) {
  std::string text = (replacing ? "insert or replace into " : "insert into ") + Table(wordsTable) + " values";
  for (std::size_t r = 0; r < rows.size(); ++r) text += r == 0 ? "(?,?,?)" : ",(?,?,?)";
  SqlStatement statement(text + ";");
  for (const ColumnValues& columns : rows) {
    statement.Bind(KeyText(columns[col::Folder]))
        .Bind(KeyText(columns[col::FileName]))
        .Bind(RowWords(columns, maxBytes));
  }
  return statement;
}

SqlStatement SelectFolderRows(const TableName& imagesTable, std::string_view folderKeyText) {
  return SqlStatement("select Folder,FileName,FileSize,FileLastWriteDate,FileLastWriteTime from " + Table(imagesTable) +
                      " where Folder=?;")
      .Bind(folderKeyText);
}

SqlStatement SelectImageRow(const TableName& imagesTable, std::string_view folderKeyText,
                            std::string_view fileKeyText) {
  return SqlStatement("select Folder,FileName from " + Table(imagesTable) + " where Folder=? and FileName=?;")
      .Bind(folderKeyText)
      .Bind(fileKeyText);
}

SqlStatement DeleteImageRow(const TableName& imagesTable, std::string_view folderKeyText,
                            std::string_view fileKeyText) {
  return SqlStatement("delete from " + Table(imagesTable) + " where Folder=? and FileName=?;")
      .Bind(folderKeyText)
      .Bind(fileKeyText);
}

SqlStatement SelectStoredFolders(const TableName& imagesTable, std::string_view folderKeyText) {
  return SqlStatement("select distinct Folder from " + Table(imagesTable) + " where Folder like ? escape '!';")
      .Bind(FolderTreePattern(folderKeyText));
}

SqlStatement SelectStoredFolder(const TableName& imagesTable, std::string_view folderKeyText) {
  return SqlStatement("select distinct Folder from " + Table(imagesTable) + " where Folder=?;").Bind(folderKeyText);
}

SqlStatement CountStoredFolderRows(const TableName& imagesTable, std::string_view folderKeyText) {
  return SqlStatement("select count(*) from " + Table(imagesTable) + " where Folder=?;").Bind(folderKeyText);
}

SqlStatement DeleteStoredFolderRows(const TableName& imagesTable, std::string_view folderKeyText) {
  return SqlStatement("delete from " + Table(imagesTable) + " where Folder=?;").Bind(folderKeyText);
}

std::string RowStamp() {
  const LocalNow now = Now();
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%03d", now.fields.tm_year + 1900, now.fields.tm_mon + 1,
                now.fields.tm_mday, now.fields.tm_hour, now.fields.tm_min, now.fields.tm_sec, now.milliseconds);
  return text;
}

std::string LastScanStamp() {
  const LocalNow now = Now();
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.fields.tm_year + 1900, now.fields.tm_mon + 1,
                now.fields.tm_mday, now.fields.tm_hour, now.fields.tm_min, now.fields.tm_sec);
  return text;
}

}  // namespace tessarine
