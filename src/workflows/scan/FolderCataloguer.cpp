#include "workflows/scan/FolderCataloguer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/ServerFailure.h"
#include "catalogue/SqlDialect.h"
#include "core/TextDecoding.h"
#include "metadata/FileFacts.h"
#include "metadata/containers/Sidecar.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/scan/ReadAlerts.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

// A folder whose transaction the server gave up (a conflict with another node of a cluster, a
// deadlock, a node leaving the cluster) is walked again, after a pause that grows: 1 s, then 2 s.
constexpr int kFolderAttempts = 3;

}  // namespace

FolderCataloguer::FolderCataloguer(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                   TableName images, ReadAhead& reader, const ScanHooks& hooks)
    : m_connection(connection),
      m_port(port),
      m_settings(settings),
      m_images(std::move(images)),
      m_dialect(SqlDialectFor(settings.dbms)),
      m_reader(reader),
      m_hooks(hooks) {
  if (TableExists(m_connection, WordsTableName(m_images))) m_companions.words = WordsTableName(m_images);
  if (TableExists(m_connection, FactsTableName(m_images))) m_companions.facts = FactsTableName(m_images);
  if (TableExists(m_connection, KeywordsTableName(m_images))) m_companions.keywords = KeywordsTableName(m_images);
  // A hashes table is written also when files are not hashed: a row written anew then drops its
  // former hash, which may no longer be its file's.
  if (TableExists(m_connection, HashesTableName(m_images))) m_companions.hashes = HashesTableName(m_images);
  // Said once a scan: a catalogue made by an earlier version keeps working without them.
  if (!m_companions.facts || !m_companions.keywords || (settings.hashFiles && !m_companions.hashes)) {
    m_port.AddLogLine(std::string(kNoCompanionsHint));
  }
}

TreeEnd FolderCataloguer::CatalogueTree(const FolderKey& top) {
  m_top = top;
  m_unreachable = false;
  m_storedFolders.reset();
  if (m_lost) return TreeEnd::Lost;
  try {
    m_storedFolders.emplace(m_connection, m_images, top);
  } catch (const DatabaseError& error) {
    Refused(error, top.Text());
    if (m_lost) return TreeEnd::Lost;
    // Without the stored folders nothing can be told gone: scan, but delete nothing.
  }
  WalkFolder(top, *this, WalkRules{m_settings.modernFormats});
  if (m_lost) return TreeEnd::Lost;
  if (m_unreachable) return TreeEnd::Unreachable;
  if (m_hooks.stopRequested && m_hooks.stopRequested()) return TreeEnd::Stopped;
  return TreeEnd::Complete;
}

bool FolderCataloguer::Stopped() const { return m_lost || (m_hooks.stopRequested && m_hooks.stopRequested()); }

void FolderCataloguer::Problem(const std::string& text) {
  m_port.AddLogLine(text);
  if (m_hooks.problem) m_hooks.problem(text);
}

bool FolderCataloguer::Refused(const DatabaseError& error, const std::string& what) {
  switch (ScopeOf(error, m_connection)) {
    case FailureScope::Statement:
      Problem("   " + what + ": " + error.CommonText());
      return true;
    case FailureScope::Transaction:
      m_folderRolledBack = true;
      m_folderRollback = error;
      return false;
    case FailureScope::Storage:
      m_storageFull = true;
      if (!m_lost) m_lost = error;
      return false;
    case FailureScope::Busy:
    case FailureScope::Connection:
      if (!m_lost) m_lost = error;
      return false;
  }
  return false;
}

void FolderCataloguer::EndWhenStorageFull(const FolderKey& folder) {
  if (!m_storageFull || m_storageFullSaid) return;
  m_storageFullSaid = true;
  // Whatever the server kept of the folder's transaction is given up, and what the table holds
  // for the folder is counted, not assumed.
  SendIgnoringErrors(m_connection, SqlStatement("rollback;"));
  m_folderFailedRows += m_folderRows;
  m_folderRows = 0;
  std::string held = "unknown";
  try {
    held = m_connection.FirstValue(CountFolderRows(m_images, folder, m_dialect)).value_or("0");
  } catch (const DatabaseError&) {
    // Said as unknown.
  }
  Problem("   " + folder.Text() + ": " + m_lost->CommonText() + " (the scan ends; the table holds " + held +
          " rows for this folder and those below it)");
}

bool FolderCataloguer::EnterFolder(const FolderKey& folder) {
  if (Stopped()) return false;
  m_rows.reset();
  m_sidecars.clear();
  m_folderRows = 0;
  m_folderFailedRows = 0;
  m_folderUnreadable = 0;
  m_folderFirstFile = m_scanFileCount;
  m_folderRolledBack = false;
  m_folderRollback.reset();
  // Thumbnails a killed scan was writing; this scan holds the folder now.
  RemoveLeftoverThumbnails(std::filesystem::path(folder.Bytes()));
  try {
    if (m_dialect.transactionStart) m_connection.SendStatement(*m_dialect.transactionStart);
  } catch (const DatabaseError& error) {
    ++m_failedFolders;
    Refused(error, folder.Text() + ": not scanned");
    return false;
  }
  try {
    const RowWriting writing = m_carefulWalk      ? RowWriting::Careful
                               : m_batchesRefused ? RowWriting::Plain
                                                  : RowWriting::InBatches;
    m_rows.emplace(m_connection, m_images, m_companions, m_dialect, folder, writing);
  } catch (const DatabaseError& error) {
    ++m_failedFolders;
    Refused(error, folder.Text() + ": not scanned");
    EndTransaction(folder);
    return false;
  }
  return true;
}

void FolderCataloguer::SidecarsSetAside(const FolderKey&, const std::vector<std::string>& names) {
  m_sidecars = std::set<std::string>(names.begin(), names.end());
}

void FolderCataloguer::FilesListed(const FolderKey& folder, const std::vector<std::string>& names) {
  m_unchanged.clear();
  if (!m_settings.onlyChangedFiles || !m_rows) {
    m_reader.Queue(folder, names);
    return;
  }
  // Only new and changed files are read: a file whose row holds its size and last write keeps it.
  // An image with a sidecar is always read: its sidecar may have changed while the image did not.
  auto hasSidecar = [&](const std::string& name) {
    if (m_sidecars.empty()) return false;
    const std::vector<std::string> candidates = SidecarNames(name);
    return std::any_of(candidates.begin(), candidates.end(),
                       [&](const std::string& sidecar) { return m_sidecars.contains(sidecar); });
  };
  std::vector<std::string> toRead;
  for (const std::string& name : names) {
    if (hasSidecar(name)) {
      toRead.push_back(name);
      continue;
    }
    const std::optional<FileFacts> facts = ReadFileFacts(std::filesystem::path(folder.Bytes() + name));
    ColumnValues columns;
    if (facts) FillFileColumns(*facts, columns);
    if (facts && m_rows->RowMatches(NameToText(name), columns)) {
      m_unchanged.insert(name);
    } else {
      toRead.push_back(name);
    }
  }
  m_reader.Queue(folder, toRead);
}

bool FolderCataloguer::WalkCarefullyAfter(const DatabaseError& error) {
  if (m_carefulWalk || !m_rows || ScopeOf(error, m_connection) != FailureScope::Statement) return false;
  if (!m_rows->SendsSeveral() && !FailedStatementSpoilsTransaction(m_connection)) return false;
  // A server that does not know the statement of a batch (a syntax error) takes none.
  if (m_rows->Batched() && error.SqlState().starts_with("42")) m_batchesRefused = true;
  m_walkCarefully = true;
  m_folderRolledBack = true;
  return true;
}

void FolderCataloguer::SendLastBatch(const FolderKey& folder) {
  if (!m_rows || m_folderRolledBack || m_lost) return;
  try {
    m_rows->SendBatch();
  } catch (const DatabaseError& error) {
    if (WalkCarefullyAfter(error)) return;
    // Without the batch's rows, the folder's are not what was read: none of them is committed.
    m_folderRolledBack = true;
    Refused(error, folder.Text() + ": rows not written");
  }
}

bool FolderCataloguer::WalkFolderAgain(const FolderKey& folder) {
  if (m_walkCarefully && !m_lost) {
    // Not an attempt of its own: the same walk, each row now where its refusal costs only itself.
    m_walkCarefully = false;
    m_carefulWalk = true;
    m_scanFileCount = m_folderFirstFile;
    return !Stopped();
  }
  m_walkCarefully = false;
  const bool again = m_folderRolledBack && !m_lost && m_folderAttempt + 1 < kFolderAttempts && !Stopped();
  if (!again) {
    if (m_folderRolledBack && m_folderRollback) {
      Problem("   " + folder.Text() + ": " + m_folderRollback->CommonText() +
              " (the folder's changes were rolled back; its rows are as before)");
    }
    // What this last walk of the folder came to counts.
    m_failedRows += m_folderFailedRows;
    m_unreadable += m_folderUnreadable;
    m_folderAttempt = 0;
    m_carefulWalk = false;
    return false;
  }
  ++m_folderAttempt;
  m_port.AddLogLine("   " + folder.Text() + ": " + (m_folderRollback ? m_folderRollback->CommonText() : "") +
                    "; the folder is read again");
  // The pause lets a cluster settle; a Stop cuts it short.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1 << (m_folderAttempt - 1));
  while (std::chrono::steady_clock::now() < until && !Stopped()) {
    m_port.ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  m_scanFileCount = m_folderFirstFile;
  return !Stopped();
}

bool FolderCataloguer::VisitFile(const FolderKey& folder, const std::string& name) {
  ++m_scanFileCount;
  const std::string pathText = NameToText(folder.Bytes() + name);
  m_port.AddLogLine(std::to_string(m_scanFileCount) + " -> " + pathText);
  if (m_unchanged.contains(name)) {
    m_rows->Keep(NameToText(name));
    if (m_hooks.progress) m_hooks.progress({m_scanFileCount, 0, folder.Text(), pathText});
    return true;
  }

  FileRow row = m_reader.Take(folder, name);
  if (row.openError == ENOENT || row.openError == ENOTDIR) {
    // Gone since the listing: no row (an earlier one goes with the folder's gone files).
    Problem("   " + pathText + ": gone before it could be read, no row written");
    return true;
  }
  if (row.openError != 0) {
    ++m_folderUnreadable;
    m_rows->Keep(NameToText(name));
    const std::string why = row.openProblem.empty() ? "cannot be read (" + ErrnoText(row.openError) + ")"
                                                    : row.openProblem;
    Problem("   " + pathText + ": " + why + ", its row is kept as it was");
    return true;
  }
  if (!row.noThumbnail.empty() && m_noThumbnailTold.insert(row.noThumbnail).second) {
    Problem("   " + row.noThumbnail + " pictures get no thumbnail: the image library installed cannot decode them");
  }
  if (!row.noDecoder.empty() && !m_noDecoderTold) {
    // Said once, where problems are said: every image of the scan is stored without its size.
    m_noDecoderTold = true;
    Problem("   " + row.noDecoder + ": images are catalogued without their width, height and thumbnail");
  }
  ShowReadAlerts(m_port, row.alerts);
  for (const std::string& problem : row.problems) m_port.AddLogLine("   " + pathText + ": " + problem);
  if (row.preview.width > 0) m_port.ShowPreview(row.preview);
  m_port.ProcessEvents();

  row.columns[col::ModifyTime] = RowStamp();
  bool goOn = true;
  try {
    if (const std::optional<std::string> refused = m_rows->Write(row.columns, row.companions)) {
      ++m_folderFailedRows;
      Problem("   " + pathText + ": row not written: " + *refused);
    } else {
      ++m_folderRows;
    }
  } catch (const DatabaseError& error) {
    if (WalkCarefullyAfter(error)) return false;
    ++m_folderFailedRows;
    m_rows->Keep(NameToText(name));
    goOn = Refused(error, pathText + ": row not written");
  }
  if (m_hooks.progress) m_hooks.progress({m_scanFileCount, 0, folder.Text(), pathText});
  return goOn;
}

bool FolderCataloguer::LeaveFolder(const FolderKey& folder, const FolderListing& listing) {
  m_reader.Drop();  // files read ahead but not taken (the scan stopped) are not written
  SendLastBatch(folder);
  if (m_lost) {
    EndWhenStorageFull(folder);
    return false;
  }
  const bool isTop = folder == m_top;
  if (listing.emptyMountPoint && m_storedFolders && m_storedFolders->AnyUnder(folder)) {
    // A disk mounted there that holds none of the photos: unreachable, not emptied.
    m_unreachable = true;
    Problem("   " + folder.Text() + ": another file system is mounted there and holds nothing of this folder; " +
            "its rows are kept");
    EndTransaction(folder);
    m_rows.reset();
    return false;  // nor is its lost+found walked
  }
  if (isTop && listing.entryCount == 0 && m_storedFolders && m_storedFolders->Any()) {
    // An empty mount point looks like this: a folder that held files is never taken as emptied.
    m_unreachable = true;
    Problem("   " + folder.Text() + ": the folder is empty while the table holds rows for it; its rows are kept");
  } else if (listing.complete && !m_folderRolledBack && m_rows && m_storedFolders) {
    try {
      m_rows->DeleteRowsOfGoneFiles();
      m_storedFolders->DeleteGoneSubfolders(folder, listing.otherEntries);
    } catch (const DatabaseError& error) {
      Refused(error, folder.Text() + ": rows of gone files not deleted");
    }
  }
  EndTransaction(folder);
  m_rows.reset();
  return !Stopped();
}

void FolderCataloguer::EndTransaction(const FolderKey& folder) {
  if (m_lost) return;
  const long long written = m_folderRows;
  m_folderRows = 0;
  if (m_connection.LockLost()) {
    // Another scan or check found this one silent too long and took its folders over: this
    // folder's rows are not committed, and the scan ends.
    SendIgnoringErrors(m_connection, SqlStatement("rollback;"));
    m_lost = DatabaseError(0, "HY000", "The lock on the folders was taken over by another scan or check: " +
                                           folder.Text() + " is as it was before this scan");
    m_folderFailedRows += written;
    return;
  }
  if (!m_folderRolledBack) {
    try {
      if (m_dialect.transactionEnd) m_connection.SendStatement(*m_dialect.transactionEnd);
      m_committedRows += written;
      return;
    } catch (const DatabaseError& error) {
      const FailureScope scope = ScopeOf(error, m_connection);
      if (scope == FailureScope::Connection || scope == FailureScope::Storage || scope == FailureScope::Busy) {
        Refused(error, folder.Text());
        EndWhenStorageFull(folder);
        return;
      }
      // A refused commit may leave the transaction open (SQLite): it is rolled back, so that the
      // folder is as it was before this walk, as said.
      SendIgnoringErrors(m_connection, SqlStatement("rollback;"));
      m_folderRolledBack = true;
      m_folderRollback = error;
    }
  } else if (m_dialect.transactionEnd) {
    // Ends what the server may still hold open, so the next folder starts clean.
    SendIgnoringErrors(m_connection, SqlStatement("rollback;"));
  }
  (void)folder;
  // The rows of this walk are not in the table: they count as failed unless the folder is walked
  // again (see WalkFolderAgain).
  m_folderFailedRows += written;
}

void FolderCataloguer::FolderUnreadable(const FolderKey& folder, int error) {
  if (folder == m_top && !m_rows) {
    m_unreachable = true;
    Problem("   " + folder.Text() + ": cannot be read (" + ErrnoText(error) + "); its rows are kept");
    return;
  }
  // A listing that broke off belongs to the folder's walk; a subfolder that cannot be opened, to
  // the scan.
  ++(m_rows ? m_folderUnreadable : m_unreadable);
  Problem("   " + folder.Text() + ": cannot be read (" + ErrnoText(error) + "); its rows are kept");
}

}  // namespace tessarine
