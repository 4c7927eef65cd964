#include "metadata/FileRowReader.h"

#include "core/TextDecoding.h"
#include "core/ValueBound.h"
#include "metadata/CompanionAssembly.h"
#include "metadata/FileFacts.h"
#include "metadata/PreviewChoice.h"
#include "metadata/RecordAssembly.h"
#include "metadata/ThumbnailImage.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {
namespace {

// What a picture beyond the classic kinds is decoded with for its thumbnail, when it is.
constexpr std::string_view kUndecodedPicture = "-";

// The file's structure as read beyond the classic rules: the record's, or read now into `again`.
const MetadataRecord* StructureOf(const std::filesystem::path& path, const std::string& ext,
                                  const MetadataRecord& record, MetadataRecord& again) {
  if (record.beyondClassic) return record.beyondClassic.get();
  MetadataReadContext structureOnly;
  structureOnly.onlyIptc = true;
  structureOnly.modernFormats = true;
  ReadImageMetadata(path, ext, structureOnly, again);
  return again.beyondClassic.get();
}

PixelDimensions HeaderDimensions(const MetadataRecord& structure) {
  return {structure.headerWidth, structure.headerHeight};
}

// The preview a thumbnail of this file can be made from, when the context allows it.
std::optional<EmbeddedPreview> UsablePreview(const MetadataRecord* structure, const MetadataReadContext& context) {
  if (!context.thumbnailsFromPreviews || structure == nullptr) return std::nullopt;
  return ChoosePreview(structure->previews, HeaderDimensions(*structure), kThumbnailMaxSize);
}

// The code the decoder is asked with: the support code; for a picture of a kind beyond the
// classic ones that the image library decodes its decoder's code (see DecoderService), or
// kUndecodedPicture for one it cannot; for a file of no kind decoded that carries a usable
// preview (a raw file), kDecodePreviewOnly.
std::string DecoderCode(const MetadataRecord& record, const MetadataReadContext& context) {
  if (record.supportIptc != "0" || !record.beyondClassic) return record.supportIptc;
  if (record.beyondClassic->pixelKind.empty()) {
    const bool preview = UsablePreview(record.beyondClassic.get(), context).has_value();
    return preview ? std::string(kDecodePreviewOnly) : record.supportIptc;
  }
  const std::string& kind = record.beyondClassic->pixelKind;
  if (kind == "PNG") return std::string(kDecodePng);
  if (kind == "WebP") return std::string(kDecodeWebp);
  return std::string(kUndecodedPicture);
}

// The pixel size the file's header gives, read by the program's own bounded reader of its structure:
// the record's when it was read that way, else read now for the size alone.
std::optional<PixelDimensions> HeaderSize(const std::filesystem::path& path, const std::string& ext,
                                          const MetadataRecord& record) {
  MetadataRecord again;
  const MetadataRecord* structure = StructureOf(path, ext, record, again);
  if (structure == nullptr || structure->headerWidth == 0 || structure->headerHeight == 0) return std::nullopt;
  return HeaderDimensions(*structure);
}

// What the thumbnail is made from beside the image: the preview that may stand in for it, and the
// orientation it is turned by. Only a JPEG's or a raw file's preview stands in: a TIFF's or a
// Photoshop file's size comes from decoding the image itself.
ThumbnailSource ThumbnailSourceOf(const std::filesystem::path& path, const std::string& ext,
                                  const MetadataRecord& record, const std::string& code,
                                  const MetadataReadContext& context) {
  ThumbnailSource source;
  if (code != "1" && code != kDecodePreviewOnly) return source;
  MetadataRecord again;
  const MetadataRecord* structure = StructureOf(path, ext, record, again);
  if (structure == nullptr) return source;
  source.orientation = structure->orientation;
  if (const std::optional<EmbeddedPreview> preview = UsablePreview(structure, context)) {
    source.preview = PreviewBytes{preview->offset, preview->length};
  }
  return source;
}

}  // namespace

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
  {
    // The EXIF facts come from the file's structure: read for them alone where the classic rules
    // did not read it.
    MetadataRecord again;
    const MetadataRecord* structure =
        record.supportIptc != "0" || record.beyondClassic ? StructureOf(path, ext, record, again) : nullptr;
    row.companions = BuildCompanionRow(record.beyondClassic ? *record.beyondClassic : record, structure);
    row.companions.contentHash = std::move(record.contentHash);
  }
  row.problems = std::move(record.problems);
  row.alerts = std::move(record.alerts);
  if (record.beyondClassic) {
    const MetadataRecord& more = *record.beyondClassic;
    row.problems.insert(row.problems.end(), more.problems.begin(), more.problems.end());
    row.alerts.insert(row.alerts.end(), more.alerts.begin(), more.alerts.end());
  }

  const std::string code = DecoderCode(record, context);
  std::string workArgument = workArgumentFor ? workArgumentFor(code) : std::string();
  if (code == kUndecodedPicture) {
    if (!workArgument.empty()) row.noThumbnail = record.beyondClassic->pixelKind;
    workArgument.clear();
  }
  const ThumbnailSource source =
      workArgument.empty() ? ThumbnailSource() : ThumbnailSourceOf(path, ext, record, code, context);
  // A JPEG whose header the program reads as the image library would needs no decoder for its size.
  ScanImage image;
  if (code == "1" && workArgument.empty() && record.plainJpegSize) {
    image.width = std::to_string(record.plainJpegSize->width);
    image.height = std::to_string(record.plainJpegSize->height);
  } else {
    image = LoadImageForScan(path, code, ext, context.imageDecoder, workArgument, source);
  }
  row.preview = std::move(image.preview);
  row.columns[col::Width] = image.width;
  row.columns[col::Height] = image.height;
  // A kind the decoder does not take ("-"), or decodes for its thumbnail only, shows the size its
  // header gives.
  if ((image.width == "-" || code != record.supportIptc) && record.beyondClassic &&
      record.beyondClassic->headerWidth > 0 && record.beyondClassic->headerHeight > 0) {
    row.columns[col::Width] = std::to_string(record.beyondClassic->headerWidth);
    row.columns[col::Height] = std::to_string(record.beyondClassic->headerHeight);
  } else if (code == kDecodePreviewOnly) {
    // A raw file whose header does not say its size: its camera's rendering gives it.
    const PixelDimensions largest = LargestPreviewSize(record.beyondClassic->previews);
    row.columns[col::Width] = std::to_string(largest.width);
    row.columns[col::Height] = std::to_string(largest.height);
  }
  // A crash of the image library is no verdict on the file: its header says its size.
  if (image.libraryCrashed) {
    if (const std::optional<PixelDimensions> size = HeaderSize(path, ext, record)) {
      row.columns[col::Width] = std::to_string(size->width);
      row.columns[col::Height] = std::to_string(size->height);
      image.problem += "; the size is the one its header gives";
    }
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
