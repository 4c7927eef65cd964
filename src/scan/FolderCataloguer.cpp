#include "scan/FolderCataloguer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <exception>
#include <memory>
#include <vector>

#include "db/ReportDatabaseError.h"
#include "db/SqlDialect.h"
#include "db/StatementSink.h"
#include "metadata/FileFacts.h"
#include "metadata/FileRowReader.h"
#include "metadata/TextDecoding.h"
#include "scan/ScanStatements.h"
#include "scan/Thumbnails.h"

namespace tessarine {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Directory = std::unique_ptr<DIR, DirCloser>;

enum class EntryKind { File, Folder, Other };

// Links to folders are never followed (a loop would never end); links to files are files.
// Anything but a regular file is passed over: opening a FIFO or a device would block or harm.
EntryKind KindOf(const std::filesystem::path& path, unsigned char type) {
  if (type == DT_REG) return EntryKind::File;
  if (type == DT_DIR) return EntryKind::Folder;
  struct stat info {};
  if (type == DT_UNKNOWN) {
    if (::lstat(path.c_str(), &info) != 0) return EntryKind::Other;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    if (!S_ISLNK(info.st_mode)) return EntryKind::Other;
  } else if (type != DT_LNK) {
    return EntryKind::Other;
  }
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool SkippedFolder(const std::string& name) { return name.starts_with('.') || name.starts_with("_thumbs_"); }

}  // namespace

FolderCataloguer::FolderCataloguer(StatementSink& sink, UserPort& port, const Settings& settings,
                                   const MetadataReadContext& read, const ScanHooks& hooks)
    : m_sink(sink), m_port(port), m_settings(settings), m_read(read), m_hooks(hooks) {}

bool FolderCataloguer::Send(std::string_view sql) {
  if (SendOrReport(m_sink, m_port, sql)) return true;
  ++m_statementErrors;
  return false;
}

bool FolderCataloguer::CatalogueFolder(const std::filesystem::path& folder) {
  Directory listing(::opendir(folder.c_str()));
  if (!listing) return true;  // missing or not readable: nothing happens for it
  const SqlDialect& dialect = SqlDialectFor(m_settings.dbms);
  if (dialect.transactionStart && !Send(*dialect.transactionStart)) return false;

  std::vector<std::string> subfolders;
  while (!Stopped()) {
    errno = 0;
    const dirent* entry = ::readdir(listing.get());
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    const EntryKind kind = KindOf(folder / name, entry->d_type);
    if (kind == EntryKind::Folder) {
      if (!SkippedFolder(name)) subfolders.push_back(name);
    } else if (kind == EntryKind::File && !name.starts_with('.')) {
      if (!CatalogueFile(folder, name)) {
        // Keep the rows already sent and leave the connection clean for the next folder.
        if (dialect.transactionEnd) SendIgnoringErrors(m_sink, *dialect.transactionEnd);
        return false;
      }
    }
  }
  listing.reset();
  if (dialect.transactionEnd && !Send(*dialect.transactionEnd)) return false;

  for (const std::string& name : subfolders) {
    if (Stopped()) break;
    CatalogueFolder(folder / name);
  }
  return true;
}

bool FolderCataloguer::CatalogueFile(const std::filesystem::path& folder, const std::string& name) {
  ++m_folderFileCount;
  ++m_scanFileCount;
  const std::filesystem::path path = folder / name;
  const std::string pathText = NameToText(path.native());
  m_port.AddLogLine(std::to_string(m_scanFileCount) + " -> " + pathText);

  // The thumbnail file to write, when one is wanted: the decoder makes it from the decoded image.
  auto thumbnailWork = [&](const std::string& supportIptc) -> std::string {
    if (!m_settings.createThumbnails || supportIptc == "0") return {};
    std::filesystem::path thumbnail = ThumbnailPath(folder, name, supportIptc);
    std::error_code ec;
    if (!m_settings.reCreateThumbnails && std::filesystem::exists(thumbnail, ec)) return {};
    return thumbnail.native();
  };

  FileRow row;
  try {
    row = ReadFileRow(path, m_read, m_settings.xmpOverIptc, thumbnailWork);
  } catch (const std::exception& error) {
    // The file still gets a row with its file facts; the scan goes on.
    row = FileRow();
    row.problems.push_back(std::string("reading failed: ") + error.what());
    if (auto facts = ReadFileFacts(path)) FillFileColumns(*facts, row.columns);
    row.columns[col::Folder] = FolderText(folder);
    row.columns[col::FileName] = NameToText(name);
    row.columns[col::SupportIPTC] = "0";
    row.columns[col::Checked] = "0";
  }
  for (const std::string& problem : row.problems) m_port.AddLogLine("   " + pathText + ": " + problem);
  if (row.preview.width > 0) m_port.ShowPreview(row.preview);
  m_port.ProcessEvents();

  row.columns[col::ModifyTime] = RowStamp();
  const bool sent = Send(InsertImageRow(m_settings.images, row.columns));
  if (m_hooks.progress) m_hooks.progress({m_scanFileCount, NameToText(folder.native()), pathText});
  return sent;
}

}  // namespace tessarine
