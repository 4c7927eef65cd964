#pragma once
// File dates and size for the row of a file.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "metadata/MetadataRecord.h"

namespace tessarine {

struct FileTimeTexts {
  std::string date;  // yyyy/mm/dd
  std::string time;  // hh:mm:ss
};

// Local date and time of a moment, with the time-zone offset in force on that date.
FileTimeTexts FileTimeText(std::time_t seconds);

struct FileFacts {
  std::uint64_t size = 0;
  std::time_t created = 0;    // birth time where the file system keeps one, else last write
  std::time_t lastWrite = 0;
};

// Facts of the file a path names (a symbolic link is followed); nothing when it cannot be read.
std::optional<FileFacts> ReadFileFacts(const std::filesystem::path& path);

// FileCreationDate..FileSize and the two empty revision columns.
void FillFileColumns(const FileFacts& facts, ColumnValues& columns);

}  // namespace tessarine
