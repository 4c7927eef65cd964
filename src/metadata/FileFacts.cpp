#include "metadata/FileFacts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

namespace tessarine {

FileTimeTexts FileTimeText(std::time_t seconds) {
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return {};
  char date[32];
  char time[16];
  std::snprintf(date, sizeof date, "%d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return {date, time};
}

std::optional<FileFacts> ReadFileFacts(const std::filesystem::path& path) {
  struct statx info {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return std::nullopt;
  FileFacts facts;
  facts.size = info.stx_size;
  facts.lastWrite = static_cast<std::time_t>(info.stx_mtime.tv_sec);
  facts.created = (info.stx_mask & STATX_BTIME) ? static_cast<std::time_t>(info.stx_btime.tv_sec) : facts.lastWrite;
  return facts;
}

void FillFileColumns(const FileFacts& facts, ColumnValues& columns) {
  const FileTimeTexts created = FileTimeText(facts.created);
  const FileTimeTexts written = FileTimeText(facts.lastWrite);
  columns[col::FileCreationDate] = created.date;
  columns[col::FileCreationTime] = created.time;
  columns[col::FileLastWriteDate] = written.date;
  columns[col::FileLastWriteTime] = written.time;
  columns[col::FileSize] = std::to_string(facts.size);
  columns[col::LastRevisionDate].clear();
  columns[col::LastRevisionTime].clear();
}

}  // namespace tessarine
