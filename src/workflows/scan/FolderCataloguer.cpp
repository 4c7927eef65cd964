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
#include "workflows/scan/ReadAlerts.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {

FolderCataloguer::FolderCataloguer(StatementSink& sink, UserPort& port, const Settings& settings,
                                   const MetadataReadContext& read, const ScanHooks& hooks)
    : m_sink(sink),
      m_port(port),
      m_settings(settings),
      m_dialect(SqlDialectFor(settings.dbms)),
      m_read(read),
      m_hooks(hooks) {}

bool FolderCataloguer::Send(std::string_view sql) {
  Status sent = SendOrReport(m_sink, m_port, sql);
  if (sent) return true;
  if (m_firstError) m_firstError = std::move(sent);
  return false;
}

bool FolderCataloguer::EnterFolder(const FolderKey&) {
  return !m_dialect.transactionStart || Send(*m_dialect.transactionStart);
}

bool FolderCataloguer::LeaveFolder(const FolderKey&, bool complete) {
  if (!m_dialect.transactionEnd) return complete;
  if (complete) return Send(*m_dialect.transactionEnd);
  // Keep the rows already sent and leave the connection clean for the next folder.
  SendIgnoringErrors(m_sink, *m_dialect.transactionEnd);
  return false;
}

bool FolderCataloguer::VisitFile(const FolderKey& folder, const std::string& name) {
  ++m_folderFileCount;
  ++m_scanFileCount;
  const std::string pathText = NameToText(folder.Bytes() + name);
  m_port.AddLogLine(std::to_string(m_scanFileCount) + " -> " + pathText);

  // The thumbnail file to write, when one is wanted: the decoder makes it from the decoded image.
  auto thumbnailWork = [&](const std::string& supportIptc) -> std::string {
    if (!m_settings.createThumbnails || supportIptc == "0") return {};
    std::filesystem::path thumbnail = ThumbnailPath(folder.Bytes(), name, supportIptc);
    std::error_code ec;
    if (!m_settings.reCreateThumbnails && std::filesystem::exists(thumbnail, ec)) return {};
    return thumbnail.native();
  };

  FileRow row;
  try {
    row = ReadFileRow(folder, name, m_read, m_settings.xmpOverIptc, thumbnailWork);
  } catch (const std::exception& error) {
    // The file still gets a row with its file facts; the scan goes on.
    row = FileRow();
    row.problems.push_back(std::string("reading failed: ") + error.what());
    if (auto facts = ReadFileFacts(folder.Bytes() + name)) FillFileColumns(*facts, row.columns);
    row.columns[col::Folder] = folder.Text();
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
  if (m_hooks.progress) m_hooks.progress({m_scanFileCount, folder.Text(), pathText});
  return sent;
}

}  // namespace tessarine
