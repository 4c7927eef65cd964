#pragma once
// Turns one listed folder tree into rows of the images table: a row per visible file, one
// transaction per folder, the folder's listing closed before its subfolders are entered. A file's
// row is replaced once the file has been read; rows of files and folders gone from disk are
// deleted only after the folder above them was listed completely. Whatever ends the work early
// (Stop, a lost connection, an unreadable folder), every file keeps a row, new or old.

#include <optional>
#include <set>
#include <string>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/FolderKey.h"
#include "core/Settings.h"
#include "core/TableName.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderWalk.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/scan/FolderRows.h"
#include "workflows/scan/ReadAhead.h"
#include "workflows/scan/StoredFolders.h"

namespace tessarine {

struct SqlDialect;

// How the scan of one listed tree ended.
enum class TreeEnd {
  Complete,     // every folder was walked (some files or folders may still have failed)
  Stopped,      // Stop was asked for
  Unreachable,  // the listed folder could not be read, or was empty while the table holds rows for it
  Lost,         // the connection was lost (see ConnectionLoss)
};

// Said when the catalogue lacks the facts and keywords tables, or the hashes table a scan that
// hashes files needs.
inline constexpr std::string_view kNoCompanionsHint =
    "This catalogue has no tables for the dates, cameras, places, keywords or content hashes of its photos: "
    "\"tessarine db create --companions\" adds them beside the images table, whose rows stay as they are.";

class FolderCataloguer final : private FolderVisitor {
 public:
  // The rows go to the images table of the given (checked) name; the files are read by the reader.
  FolderCataloguer(CatalogueConnection& connection, UserPort& port, const Settings& settings, TableName images,
                   ReadAhead& reader, const ScanHooks& hooks);
  // The statements prepared for the rows of its folders go with it.
  ~FolderCataloguer() override { m_connection.ForgetPrepared(); }
  FolderCataloguer(const FolderCataloguer&) = delete;
  FolderCataloguer& operator=(const FolderCataloguer&) = delete;

  TreeEnd CatalogueTree(const FolderKey& top);

  long long ScanFileCount() const { return m_scanFileCount; }  // files taken up (the log's numbers)
  long long CommittedRows() const { return m_committedRows; }  // rows written and committed
  long long FailedRows() const { return m_failedRows; }        // files whose row could not be written
  long long Unreadable() const { return m_unreadable; }        // files and folders that could not be read
  long long FailedFolders() const { return m_failedFolders; }  // folders the database refused to start
  // The error that ended the scan: the connection was lost.
  const std::optional<DatabaseError>& ConnectionLoss() const { return m_lost; }

 private:
  bool Stopped() const override;
  bool EnterFolder(const FolderKey& folder) override;
  void SidecarsSetAside(const FolderKey& folder, const std::vector<std::string>& nameBytes) override;
  void FilesListed(const FolderKey& folder, const std::vector<std::string>& nameBytes) override;
  bool VisitFile(const FolderKey& folder, const std::string& nameBytes) override;
  bool LeaveFolder(const FolderKey& folder, const FolderListing& listing) override;
  void FolderUnreadable(const FolderKey& folder, int error) override;
  bool WalkFolderAgain(const FolderKey& folder) override;

  // A problem with a file or a folder: the log, and the scan's problem hook.
  void Problem(const std::string& text);
  // Sorts a refused statement: false when it ended the folder (its transaction or the connection
  // is gone).
  bool Refused(const DatabaseError& error, const std::string& what);
  // True when the refusal has the folder walked again carefully (see m_carefulWalk).
  bool WalkCarefullyAfter(const DatabaseError& error);
  // Sends the rows gathered for the folder's last batch; a refusal rolls the folder back.
  void SendLastBatch(const FolderKey& folder);
  void EndTransaction(const FolderKey& folder);
  // Once, when the disk became full in the folder: rolls back and says what the table holds.
  void EndWhenStorageFull(const FolderKey& folder);

  CatalogueConnection& m_connection;
  UserPort& m_port;
  const Settings& m_settings;
  const TableName m_images;
  // The images table's companion tables the catalogue has: each row's are written with it.
  CompanionTables m_companions;
  const SqlDialect& m_dialect;
  ReadAhead& m_reader;
  const ScanHooks& m_hooks;

  // The tree being scanned.
  FolderKey m_top;
  std::optional<StoredFolders> m_storedFolders;
  bool m_unreachable = false;
  // The folder being scanned, in its present attempt.
  std::optional<FolderRows> m_rows;
  std::set<std::string> m_unchanged;  // files whose row already holds their size and last write
  std::set<std::string> m_sidecars;   // the folder's sidecars, which belong to its images
  long long m_folderRows = 0;        // rows written in the folder's open transaction
  long long m_folderFailedRows = 0;  // rows refused in it
  long long m_folderUnreadable = 0;  // files in it that could not be read
  long long m_folderFirstFile = 0;   // the scan's file count when the folder was entered
  bool m_folderRolledBack = false;   // the server gave up the folder's transaction
  std::optional<DatabaseError> m_folderRollback;
  int m_folderAttempt = 0;           // walks of the folder before this one
  // A folder is first walked writing its rows in batches and without a savepoint around each
  // (RowWriting::InBatches); a refusal that may have cost other rows than its own (any row of a
  // batch, or any row after it where it spoils the transaction) has the folder walked again
  // carefully, where a refusal costs its row only.
  bool m_carefulWalk = false;
  bool m_walkCarefully = false;   // a refusal asks for that walk
  bool m_batchesRefused = false;  // the server takes no batch: this scan writes rows one by one

  long long m_scanFileCount = 0;
  bool m_noDecoderTold = false;
  std::set<std::string> m_noThumbnailTold;  // picture kinds said to get no thumbnail
  long long m_committedRows = 0;
  long long m_failedRows = 0;
  long long m_unreadable = 0;
  long long m_failedFolders = 0;
  std::optional<DatabaseError> m_lost;
  bool m_storageFull = false;  // m_lost is the disk full
  bool m_storageFullSaid = false;
};

}  // namespace tessarine
