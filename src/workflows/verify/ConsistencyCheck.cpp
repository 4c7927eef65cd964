#include "workflows/verify/ConsistencyCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CheckStatements.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/TextDecoding.h"
#include "core/WindowTitle.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/folders/FolderWalk.h"
#include "workflows/verify/CheckStamp.h"
#include "workflows/verify/ProvenGone.h"
#include "workflows/verify/Trash.h"

namespace tessarine {
namespace {

// One check run's walk: what it does in each folder and what it shares across folders.
class FolderChecker final : public FolderVisitor {
 public:
  FolderChecker(CatalogueConnection& connection, UserPort& port, const Settings& settings, const TableName& images,
                const std::string& stamp, const CheckHooks& hooks, CheckResult& result)
      : m_connection(connection),
        m_port(port),
        m_images(images),
        m_dialect(SqlDialectFor(settings.dbms)),
        m_stamp(stamp),
        m_hooks(hooks),
        m_result(result) {}

  bool Stopped() const override { return m_hooks.cancelRequested && m_hooks.cancelRequested(); }

  bool EnterFolder(const FolderKey&) override {
    return !m_dialect.transactionStart || Send([&] { m_connection.SendStatement(*m_dialect.transactionStart); });
  }

  bool VisitFile(const FolderKey& folder, const std::string& name) override {
    return Send([&] { CheckFile(folder, name); });
  }

  bool LeaveFolder(const FolderKey& folder, const FolderListing& listing) override {
    bool complete = listing.complete;
    if (m_dialect.transactionEnd) {
      if (complete) {
        complete = Send([&] { m_connection.SendStatement(*m_dialect.transactionEnd); });
      } else {
        // The marks already sent are kept and the next folder starts outside a transaction: a
        // server that refuses every statement of a failed transaction would otherwise fail all.
        SendIgnoringErrors(m_connection, std::string(*m_dialect.transactionEnd));
      }
    }
    if (!complete) return false;
    if (listing.emptyMountPoint) {
      // A disk mounted there that holds none of the photos: nothing below is proven gone.
      m_emptyMounts.push_back(folder.Text());
      return false;
    }
    if (folder == m_top && listing.entryCount == 0) {
      // An empty listed folder proves nothing: it may be a mount point without its disk.
      m_topEmpty = true;
      return true;
    }
    std::set<std::string> entryKeys;
    for (const std::string& text : listing.otherEntries) AddEntryKeys(entryKeys, text);
    m_gone.Listed(FolderKeyText(folder), std::move(entryKeys));
    return true;
  }

  void FolderUnreadable(const FolderKey& folder, int error) override {
    const std::string text = "   " + folder.Text() + ": cannot be read (" + std::strerror(error) + "); its rows are kept";
    m_port.AddLogLine(text);
    if (m_hooks.problem) m_hooks.problem(text);
    if (folder == m_top) {
      m_topUnreadable = true;
    } else {
      ++m_result.unreadable;
    }
  }

  // Starts the walk of a listed folder.
  void StartTree(const FolderKey& top) {
    m_top = top;
    m_topEmpty = false;
    m_topUnreadable = false;
  }
  bool TopUnreadable() const { return m_topUnreadable; }
  bool TopEmpty() const { return m_topEmpty; }
  const ProvenGone& Gone() const { return m_gone; }
  // The empty mount point the stored folder lies in, if any.
  std::optional<std::string> EmptyMountOver(const std::string& folderKey) const {
    for (const std::string& mount : m_emptyMounts) {
      if (folderKey.starts_with(mount)) return mount;
    }
    return std::nullopt;
  }

 private:
  // Runs statements; a refused one is reported and ends the folder.
  template <typename Statements>
  bool Send(Statements statements) {
    try {
      statements();
      return true;
    } catch (const DatabaseError& error) {
      ReportDatabaseError(m_port, error);
      ++m_result.folderErrors;
      return false;
    }
  }

  // Whether the file has a row under the given form of its keys.
  bool HasRow(const FolderKey& folder, const std::string& name, KeyForm form) {
    const auto rows = m_connection.ExecuteStatement(SelectCheckedRow(m_images, folder, name, form),
                                                    CursorChoice::ForwardOnly);
    return rows && !rows->IsEof();
  }

  void CheckFile(const FolderKey& folder, const std::string& name) {
    ++m_result.files;
    // A row an earlier version stored with "/" for each "\" of the path is this file's row until a
    // scan replaces it: its photo is never one without a row.
    std::optional<KeyForm> found;
    if (HasRow(folder, name, KeyForm::Current)) {
      found = KeyForm::Current;
    } else if (HasFormerKeyText(folder.Text() + NameToText(name)) && HasRow(folder, name, KeyForm::Former)) {
      found = KeyForm::Former;
    }
    if (found) {
      m_connection.Send(UpdateCheckedRow(m_images, m_stamp, folder, name, *found));
    } else if (!KeyFits(m_dialect, FolderKeyText(folder)) || !KeyFits(m_dialect, KeyText(NameToText(name)))) {
      CheckedFile file{folder.Text(), NameToText(name), folder.Bytes(), name};
      const std::string text = "   " + NameToText(folder.Bytes() + name) + ": not catalogued: its folder or name is " +
                               "longer than the " + std::to_string(kKeyColumnWidth) +
                               " characters a row's Folder and FileName hold on this server";
      m_port.AddLogLine(text);
      if (m_hooks.problem) m_hooks.problem(text);
      m_result.notCatalogued.push_back(std::move(file));
    } else {
      CheckedFile file{folder.Text(), NameToText(name), folder.Bytes(), name};
      if (m_hooks.fileWithoutLine) m_hooks.fileWithoutLine(file);
      m_result.filesWithoutLines.push_back(std::move(file));
    }
    if (m_hooks.progress) m_hooks.progress(std::to_string(m_result.files) + " -> " + NameToText(folder.Bytes() + name));
    m_port.ProcessEvents();
  }

  CatalogueConnection& m_connection;
  UserPort& m_port;
  const TableName& m_images;
  const SqlDialect& m_dialect;
  const std::string& m_stamp;
  const CheckHooks& m_hooks;
  CheckResult& m_result;
  ProvenGone m_gone;
  FolderKey m_top;
  bool m_topEmpty = false;
  bool m_topUnreadable = false;
  std::vector<std::string> m_emptyMounts;
};

// True when rows of the images table already carry the stamp (a run of another process in the
// same second). A failure here says nothing: the walk reports its own.
bool StampInUse(CatalogueConnection& connection, const TableName& imagesTable, const std::string& stamp) {
  try {
    const std::string count = connection.FirstValue(CountStampedRows(imagesTable, stamp)).value_or("0");
    return count.find_first_not_of("0 ") != std::string::npos;
  } catch (const DatabaseError&) {
    return false;
  }
}

}  // namespace

CheckResult RunConsistencyCheck(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                bool fileDsnSelected, const std::vector<FolderEntry>& folders,
                                const CheckHooks& hooks) {
  CheckResult result;
  const auto start = CheckClock::now();
  const Expected<TableName> images = CheckedTableName(port, settings.images);
  result.status = images.GetStatus();
  if (!result.status) return result;
  std::vector<FolderKey> checked;
  for (const FolderEntry& entry : folders) checked.push_back(entry.folder);
  result.status = OpenCatalogueToChange(connection, port, settings, fileDsnSelected, checked);
  if (!result.status) return result;
  result.stamp = MakeCheckStamp(start, [&](const std::string& stamp) {
    return StampInUse(connection, *images, stamp);
  });
  port.SetStatus("analyzing");

  FolderChecker checker(connection, port, settings, *images, result.stamp, hooks, result);
  // The listed folders whose rows are looked at, and whether each was found empty.
  std::vector<std::pair<const FolderEntry*, bool>> walked;
  for (const FolderEntry& entry : folders) {
    checker.StartTree(entry.folder);
    WalkFolder(entry.folder, checker, WalkRules{settings.modernFormats});
    if (checker.TopUnreadable()) {
      result.unreachable.push_back(entry.folder.Text());
    } else {
      walked.emplace_back(&entry, checker.TopEmpty());
    }
    port.ProcessEvents();
    if (checker.Stopped()) {
      result.cancelled = true;
      break;
    }
  }
  if (hooks.progress) hooks.progress("");

  if (!result.cancelled) {
    port.SetStatus("checking images table");
    try {
      for (const auto& [entry, empty] : walked) {
        auto rows = connection.ExecuteStatement(SelectUncheckedRows(*images, result.stamp, entry->folder),
                                                CursorChoice::ForwardOnly);
        const std::string treeKey = FolderKeyText(entry->folder);
        bool rowsOfEmptyFolder = false;
        for (; rows && !rows->IsEof(); rows->MoveNext()) {
          CheckedLine line;
          line.folderKey = rows->FieldValue(0).value_or("");
          line.fileKey = rows->FieldValue(1).value_or("");
          // The server's LIKE may ignore letter case: only rows of this very tree.
          if (!line.folderKey.starts_with(treeKey)) continue;
          // An empty listed folder holding rows may be a disk not mounted: its rows are kept.
          if (empty) {
            rowsOfEmptyFolder = true;
            continue;
          }
          // Only rows whose file the walk proved gone.
          if (!checker.Gone().FileGone(line.folderKey)) {
            const auto mount = checker.EmptyMountOver(line.folderKey);
            if (mount && std::find(result.unreachable.begin(), result.unreachable.end(), *mount) ==
                             result.unreachable.end()) {
              result.unreachable.push_back(*mount);
            }
            continue;
          }
          line.folder = line.folderKey;
          line.file = line.fileKey;
          std::replace(line.file.begin(), line.file.end(), '/', '\\');
          if (hooks.lineWithoutFile) hooks.lineWithoutFile(line);
          result.linesWithoutFiles.push_back(std::move(line));
        }
        if (rowsOfEmptyFolder) result.unreachable.push_back(entry->folder.Text());
      }
    } catch (const DatabaseError& error) {
      port.SetStatus(error.CommonText());
      port.Beep();
      result.status = error;
      connection.CloseConnection();
      return result;
    }
  }

  result.elapsedSeconds = std::chrono::duration_cast<std::chrono::seconds>(CheckClock::now() - start).count();
  std::string status = CheckTotalText(result.files, result.elapsedSeconds);
  if (!result.notCatalogued.empty()) {
    status += " - " + std::to_string(result.notCatalogued.size()) +
              " files cannot be catalogued on this server (see the log)";
  }
  const auto unread = static_cast<long long>(result.unreachable.size()) + result.unreadable;
  if (unread > 0) {
    status += " - " + std::to_string(unread) + (unread == 1 ? " folder" : " folders") +
              " could not be read, their lines are kept (see the log)";
    for (const std::string& folder : result.unreachable) {
      port.AddLogLine("   " + folder + ": could not be read, or holds nothing (its disk not mounted, or mounted empty); " +
                      "its lines are kept");
    }
  }
  port.SetStatus(status);
  connection.CloseConnection();
  return result;
}

namespace {

// True when something of this name is on disk again at the row's place (under either byte form
// its texts may have).
bool PresentOnDisk(const CheckedLine& line) {
  const FolderKey folder = FolderKey::FromStoredText(line.folderKey);
  std::string name = line.fileKey;
  std::replace(name.begin(), name.end(), '/', '\\');
  for (const std::string& bytes : NameBytesOf(name)) {
    struct stat info {};
    if (::lstat((folder.Bytes() + bytes).c_str(), &info) == 0) return true;
    // A folder that cannot be looked into proves nothing: keep the row.
    if (errno != ENOENT && errno != ENOTDIR) return true;
  }
  return false;
}

}  // namespace

int DeleteFilesWithoutLines(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedFile>& files) {
  const Expected<TableName> images = CheckedTableName(port, settings.images);
  if (!images) return 0;
  const std::string question =
      "Move " + std::to_string(files.size()) + " files without corresponding lines in images table to the trash?";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return 0;
  }
  if (files.empty()) return 0;
  std::vector<FolderKey> filesFolders;
  for (const CheckedFile& file : files) filesFolders.push_back(FolderKey::FromPath(file.folderBytes));
  if (!OpenCatalogueToChange(connection, port, settings, fileDsnSelected, filesFolders)) return 0;
  int deleted = 0;
  std::vector<CheckedFile> notMoved;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CheckedFile& file = files[i];
    const std::string path = file.PathBytes();
    const std::string shown = NameToText(path);
    struct stat info {};
    // The listed path itself (a link as a link), and only a file: a folder, a FIFO or a device never.
    if (file.nameBytes.empty() || ::lstat(path.c_str(), &info) != 0) continue;
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) continue;
    try {
      // A scan may have catalogued the file since the list was made.
      const auto rows = connection.ExecuteStatement(
          SelectCheckedRow(*images, FolderKey::FromPath(file.folderBytes), file.nameBytes),
          CursorChoice::ForwardOnly);
      if (rows && !rows->IsEof()) {
        port.AddLogLine("   " + shown + ": kept, it has a line now");
        continue;
      }
    } catch (const DatabaseError& error) {
      ReportDatabaseError(port, error);
      notMoved.insert(notMoved.end(), files.begin() + static_cast<std::ptrdiff_t>(i), files.end());
      break;
    }
    std::string reason;
    if (MoveToTrash(path, reason)) {
      ++deleted;
      continue;
    }
    port.AddLogLine("   " + shown + ": not moved to the trash: " + reason);
    if (notMoved.empty()) {
      port.ShowMessage("Files could not be moved to the trash (" + reason + "): they are kept as they are.",
                       MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
    }
    notMoved.push_back(file);
  }
  connection.CloseConnection();
  files = std::move(notMoved);
  return deleted;
}

int DeleteLinesWithoutFiles(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedLine>& lines) {
  const Expected<TableName> images = CheckedTableName(port, settings.images);
  if (!images) return 0;
  const std::string question =
      "Delete " + std::to_string(lines.size()) + " lines from images table '" + images->Text() + "'";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return 0;
  }
  std::vector<FolderKey> linesFolders;
  for (const CheckedLine& line : lines) linesFolders.push_back(FolderKey::FromStoredText(line.folderKey));
  if (!OpenCatalogueToChange(connection, port, settings, fileDsnSelected, linesFolders)) return 0;
  int deleted = 0;
  bool failed = false;
  for (const CheckedLine& line : lines) {
    if (PresentOnDisk(line)) {
      port.AddLogLine("   " + line.folder + line.file + ": kept, its file is there again");
      continue;
    }
    if (!SendOrReport(connection, port, DeleteCheckedLine(*images, line.folderKey, line.fileKey))) {
      failed = true;
      break;
    }
    deleted += static_cast<int>(std::max(connection.ChangedRows(), 0LL));
  }
  if (!failed) lines.clear();
  connection.CloseConnection();
  return deleted;
}

}  // namespace tessarine
