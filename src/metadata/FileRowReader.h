#pragma once
// Everything a file's row holds that comes from the file itself: metadata, pixel size and
// file facts. Reading is kept apart from writing the row, so files can be read ahead.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/CompanionValues.h"
#include "core/FolderKey.h"
#include "metadata/ImageLoader.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

struct FileRow {
  ColumnValues columns;  // Folder, FileName and every file-derived column; ModifyTime left empty
  CompanionRow companions;
  PreviewImage preview;  // what the work on the decoded image sent back (a thumbnail)
  std::vector<std::string> problems;
  std::vector<ReadAlert> alerts;  // for message boxes
  int openError = 0;              // the file could not be opened (errno): the row holds nothing read
  std::string openProblem;        // why, in words (empty when only the errno is known)
  std::string noDecoder;          // why no image could be decoded (the decoder program did not start)
  // The kind of a picture whose thumbnail was asked for but whose pixels the image library
  // cannot decode ("HEIF", "AVIF", "JPEG XL").
  std::string noThumbnail;
};

// Reads the file `nameBytes` of the folder for its row. Folder is the folder's text; FileName the
// text of the name (see NameToText); Checked "0".
// workArgumentFor, when given, is asked with the file's support code for the argument of the
// decoder's work on its decoded image (the thumbnail file); an empty argument asks for none.
using DecodedImageWork = std::function<std::string(const std::string& supportIptc)>;
FileRow ReadFileRow(const FolderKey& folder, const std::string& nameBytes, const MetadataReadContext& context,
                    bool xmpOverIptc, const DecodedImageWork& workArgumentFor = {});
// The same for the file at an absolute path.
FileRow ReadFileRow(const std::filesystem::path& path, const MetadataReadContext& context, bool xmpOverIptc);

}  // namespace tessarine
