#pragma once
// Turns one folder tree into rows of the images table: one INSERT per visible file, one
// transaction per folder, the folder's listing closed before its subfolders are entered.

#include <string>

#include "core/Error.h"
#include "core/FolderKey.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "metadata/ImageMetadataReader.h"
#include "workflows/folders/FolderWalk.h"
#include "workflows/scan/ScanDriver.h"

namespace tessarine {

class StatementSink;
struct SqlDialect;

class FolderCataloguer final : private FolderVisitor {
 public:
  FolderCataloguer(StatementSink& sink, UserPort& port, const Settings& settings, const MetadataReadContext& read,
                   const ScanHooks& hooks);

  // Catalogues the folder and, unless stopped, its subfolders. A refused statement is reported;
  // it ends that folder (its transaction committed, its subfolders skipped) and returns false.
  bool CatalogueFolder(const FolderKey& folder) { return WalkFolder(folder, *this); }

  long long ScanFileCount() const { return m_scanFileCount; }
  long long FolderFileCount() const { return m_folderFileCount; }
  void ResetFolderFileCount() { m_folderFileCount = 0; }
  // The first statement refused (and reported) since the scan started; Ok when none was.
  const Status& FirstError() const { return m_firstError; }

 private:
  bool Stopped() const override { return m_hooks.stopRequested && m_hooks.stopRequested(); }
  bool EnterFolder(const FolderKey& folder) override;
  // Reads one file and sends its row; false when the row was refused.
  bool VisitFile(const FolderKey& folder, const std::string& nameBytes) override;
  bool LeaveFolder(const FolderKey& folder, bool complete) override;
  bool Send(std::string_view sql);

  StatementSink& m_sink;
  UserPort& m_port;
  const Settings& m_settings;
  const SqlDialect& m_dialect;
  const MetadataReadContext& m_read;
  const ScanHooks& m_hooks;
  long long m_scanFileCount = 0;
  long long m_folderFileCount = 0;
  Status m_firstError;
};

}  // namespace tessarine
