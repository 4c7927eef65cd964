#include "catalogue/ScanStatements.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "catalogue/EscapeSqlValue.h"

namespace tessarine {
namespace {

std::string Quoted(std::string_view value) { return "'" + EscapeSqlValue(value) + "'"; }

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

}  // namespace

std::string FolderLikePrefix(std::string_view folderText) {
  std::string prefix;
  for (char c : EscapeSqlValue(folderText)) {
    if (c == '!' || c == '%' || c == '_') prefix += '!';
    prefix += c;
  }
  return prefix;
}

std::string DeleteFolderRows(std::string_view imagesTable, const FolderKey& folder) {
  return "delete from " + std::string(imagesTable) + " where (Folder like '" + FolderLikePrefix(folder.Text()) +
         "%' escape '!');";
}

std::string CountFolderRows(std::string_view imagesTable, const FolderKey& folder) {
  return "select count(*) from " + std::string(imagesTable) + " where(Folder like '" + FolderLikePrefix(folder.Text()) +
         "%' escape '!');";
}

std::string UpdateFolderRow(std::string_view foldersTable, const FolderKey& folder, long long files,
                            std::string_view lastScan) {
  return "update " + std::string(foldersTable) + " set Files='" + std::to_string(files) + "', LastScan='" +
         std::string(lastScan) + "' where (Folder=" + Quoted(folder.StoredText()) + ");";
}

std::string InsertFolderRow(std::string_view foldersTable, const FolderKey& folder) {
  return "insert into " + std::string(foldersTable) + " values(" + Quoted(folder.Text()) + ", '','');";
}

std::string DeleteFolderRow(std::string_view foldersTable, const FolderKey& folder) {
  return "delete from " + std::string(foldersTable) + " where Folder=" + Quoted(folder.StoredText()) + ";";
}

std::string InsertImageRow(std::string_view imagesTable, const ColumnValues& columns) {
  std::string sql = "insert into " + std::string(imagesTable) + " values(";
  sql.reserve(4096);
  for (std::size_t c = 0; c < kImageColumnCount; ++c) {
    if (c > 0) sql += ',';
    // ModifyTime is a number and stands bare; every other value is a quoted, escaped text.
    sql += c == col::ModifyTime ? columns[c] : Quoted(columns[c]);
  }
  return sql + ");";
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
