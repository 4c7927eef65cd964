#include "metadata/FileRowReader.h"

#include "core/TextDecoding.h"
#include "core/ValueBound.h"
#include "metadata/FileFacts.h"
#include "metadata/RecordAssembly.h"

namespace tessarine {

FileRow ReadFileRow(const FolderKey& folder, const std::string& name, const MetadataReadContext& context,
                    bool xmpOverIptc, const DecodedImageWork& workArgumentFor) {
  FileRow row;
  const std::filesystem::path path = folder.Bytes() + name;
  const std::string ext = UpperExtension(name);

  MetadataRecord record;
  ReadImageMetadata(path, ext, context, record);
  row.openError = record.openError;
  row.openProblem = record.openProblem;
  if (row.openError != 0) {
    row.columns[col::Folder] = folder.Text();
    row.columns[col::FileName] = NameToText(name);
    return row;
  }
  AssembleColumns(record, xmpOverIptc, row.columns, context.keepIimWhenXmpMissing);
  row.problems = std::move(record.problems);
  row.alerts = std::move(record.alerts);
  if (record.beyondClassic) {
    const MetadataRecord& more = *record.beyondClassic;
    row.problems.insert(row.problems.end(), more.problems.begin(), more.problems.end());
    row.alerts.insert(row.alerts.end(), more.alerts.begin(), more.alerts.end());
  }

  const std::string workArgument = workArgumentFor ? workArgumentFor(record.supportIptc) : std::string();
  ScanImage image = LoadImageForScan(path, record.supportIptc, ext, context.imageDecoder, workArgument);
  row.preview = std::move(image.preview);
  row.columns[col::Width] = image.width;
  row.columns[col::Height] = image.height;
  // A kind the decoder does not take ("-") shows the size its header gives.
  if (image.width == "-" && record.beyondClassic && record.beyondClassic->headerWidth > 0 &&
      record.beyondClassic->headerHeight > 0) {
    row.columns[col::Width] = std::to_string(record.beyondClassic->headerWidth);
    row.columns[col::Height] = std::to_string(record.beyondClassic->headerHeight);
  }
  if (!image.problem.empty()) row.problems.push_back(image.problem);
  if (image.noDecoder) row.noDecoder = image.problem;

  if (auto facts = ReadFileFacts(path)) FillFileColumns(*facts, row.columns);
  row.columns[col::Folder] = folder.Text();
  row.columns[col::FileName] = NameToText(name);
  row.columns[col::Checked] = "0";
  for (std::string& cut : CutColumnsToBound(row.columns)) row.problems.push_back(std::move(cut));
  return row;
}

FileRow ReadFileRow(const std::filesystem::path& path, const MetadataReadContext& context, bool xmpOverIptc) {
  return ReadFileRow(FolderKey::FromPath(path.parent_path().native()), path.filename().native(), context, xmpOverIptc);
}

}  // namespace tessarine
