#include "workflows/scan/FolderCataloguer.h"

#include <exception>
#include <memory>
#include <vector>

#include "catalogue/ScanStatements.h"
#include "catalogue/SqlDialect.h"
#include "catalogue/StatementSink.h"
#include "core/TextDecoding.h"
#include "metadata/FileFacts.h"
#include "metadata/FileRowReader.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/scan/DirectoryListing.h"
#include "workflows/scan/ReadAlerts.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {

FolderCataloguer::FolderCataloguer(StatementSink& sink, UserPort& port, const Settings& settings,
                                   const MetadataReadContext& read, const ScanHooks& hooks)
    : m_sink(sink), m_port(port), m_settings(settings), m_read(read), m_hooks(hooks) {}

bool FolderCataloguer::Send(std::string_view sql) {
  Status sent = SendOrReport(m_sink, m_port, sql);
  if (sent) return true;
  if (m_firstError) m_firstError = std::move(sent);
  return false;
}

bool FolderCataloguer::CatalogueFolder(const std::filesystem::path& folder) {
  DirectoryListing listing(folder);
  if (!listing.IsOpen()) return true;  // missing or not readable: nothing happens for it
  const SqlDialect& dialect = SqlDialectFor(m_settings.dbms);
  if (dialect.transactionStart && !Send(*dialect.transactionStart)) return false;

  std::vector<std::string> subfolders;
  while (!Stopped()) {
    const std::optional<DirectoryEntry> entry = listing.Next();
    if (!entry) break;
    const std::string& name = entry->name;
    if (entry->kind == EntryKind::Folder) {
      if (!IsSkippedFolder(name)) subfolders.push_back(name);
    } else if (!IsHiddenFile(name)) {
      if (!CatalogueFile(folder, name)) {
        // Keep the rows already sent and leave the connection clean for the next folder.
        if (dialect.transactionEnd) SendIgnoringErrors(m_sink, *dialect.transactionEnd);
        return false;
      }
    }
  }
  listing.Close();
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
  ShowReadAlerts(m_port, row.alerts);
  for (const std::string& problem : row.problems) m_port.AddLogLine("   " + pathText + ": " + problem);
  if (row.preview.width > 0) m_port.ShowPreview(row.preview);
  m_port.ProcessEvents();

  row.columns[col::ModifyTime] = RowStamp();
  const bool sent = Send(InsertImageRow(m_settings.images, row.columns));
  if (m_hooks.progress) m_hooks.progress({m_scanFileCount, NameToText(folder.native()), pathText});
  return sent;
}

}  // namespace tessarine
