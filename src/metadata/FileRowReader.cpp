#include "metadata/FileRowReader.h"

#include "core/TextDecoding.h"
#include "metadata/FileFacts.h"
#include "metadata/RecordAssembly.h"

namespace tessarine {

std::string FolderText(const std::filesystem::path& folder) {
  std::string text = NameToText(folder.native());
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

FileRow ReadFileRow(const std::filesystem::path& path, const MetadataReadContext& context, bool xmpOverIptc,
                    const DecodedImageWork& workArgumentFor) {
  FileRow row;
  const std::string name = path.filename().native();
  const std::string ext = UpperExtension(name);

  MetadataRecord record;
  ReadImageMetadata(path, ext, context, record);
  AssembleColumns(record, xmpOverIptc, row.columns);
  row.problems = std::move(record.problems);
  row.alerts = std::move(record.alerts);

  const std::string workArgument = workArgumentFor ? workArgumentFor(record.supportIptc) : std::string();
  ScanImage image = LoadImageForScan(path, record.supportIptc, ext, context.imageDecoder, workArgument);
  row.preview = std::move(image.preview);
  row.columns[col::Width] = image.width;
  row.columns[col::Height] = image.height;
  if (!image.problem.empty()) row.problems.push_back(image.problem);

  if (auto facts = ReadFileFacts(path)) FillFileColumns(*facts, row.columns);
  row.columns[col::Folder] = FolderText(path.parent_path());
  row.columns[col::FileName] = NameToText(name);
  row.columns[col::Checked] = "0";
  return row;
}

}  // namespace tessarine
