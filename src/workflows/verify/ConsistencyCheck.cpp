#include "workflows/verify/ConsistencyCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CheckStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/DatabaseError.h"
#include "core/TextDecoding.h"
#include "core/WindowTitle.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"
#include "workflows/folders/FolderWalk.h"
#include "workflows/verify/CheckStamp.h"

namespace tessarine {
namespace {

// One check run's walk: what it does in each folder and what it shares across folders.
class FolderChecker final : public FolderVisitor {
 public:
  FolderChecker(CatalogueConnection& connection, UserPort& port, const Settings& settings, const std::string& stamp,
                const CheckHooks& hooks, CheckResult& result)
      : m_connection(connection),
        m_port(port),
        m_settings(settings),
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

  bool LeaveFolder(const FolderKey&, bool complete) override {
    if (!m_dialect.transactionEnd) return complete;
    if (complete) return Send([&] { m_connection.SendStatement(*m_dialect.transactionEnd); });
    // The marks already sent are kept and the next folder starts outside a transaction: a server
    // that refuses every statement of a failed transaction would otherwise fail all the others.
    SendIgnoringErrors(m_connection, *m_dialect.transactionEnd);
    return false;
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

  void CheckFile(const FolderKey& folder, const std::string& name) {
    ++m_result.files;
    bool found = false;
    {
      const auto rows = m_connection.ExecuteStatement(SelectCheckedRow(m_settings.images, folder, name),
                                                      CursorChoice::ForwardOnly);
      found = rows && !rows->IsEof();
    }
    if (found) {
      m_connection.SendStatement(UpdateCheckedRow(m_settings.images, m_stamp, folder, name));
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
  const Settings& m_settings;
  const SqlDialect& m_dialect;
  const std::string& m_stamp;
  const CheckHooks& m_hooks;
  CheckResult& m_result;
};

// True when rows of the images table already carry the stamp (a run of another process in the
// same second). A failure here says nothing: the walk reports its own.
bool StampInUse(CatalogueConnection& connection, const std::string& imagesTable, const std::string& stamp) {
  try {
    const auto rows = connection.ExecuteStatement(CountStampedRows(imagesTable, stamp), CursorChoice::ForwardOnly);
    if (!rows || rows->IsEof()) return false;
    const std::string count = rows->FieldValue(0).value_or("0");
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
  result.status = OpenCatalogue(connection, port, settings, fileDsnSelected);
  if (!result.status) return result;
  result.stamp = MakeCheckStamp(start, [&](const std::string& stamp) {
    return StampInUse(connection, settings.images, stamp);
  });
  port.SetStatus("analyzing");

  FolderChecker checker(connection, port, settings, result.stamp, hooks, result);
  for (const FolderEntry& entry : folders) {
    WalkFolder(entry.folder, checker);
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
      auto rows = connection.ExecuteStatement(SelectUncheckedRows(settings.images, result.stamp),
                                              CursorChoice::ForwardOnly);
      for (; rows && !rows->IsEof(); rows->MoveNext()) {
        CheckedLine line{rows->FieldValue(0).value_or(""), rows->FieldValue(1).value_or("")};
        std::replace(line.file.begin(), line.file.end(), '/', '\\');
        if (hooks.lineWithoutFile) hooks.lineWithoutFile(line);
        result.linesWithoutFiles.push_back(std::move(line));
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
  port.SetStatus(CheckTotalText(result.files, result.elapsedSeconds));
  connection.CloseConnection();
  return result;
}

int DeleteFilesWithoutLines(UserPort& port, std::vector<CheckedFile>& files) {
  const std::string question =
      "Delete " + std::to_string(files.size()) + " files without corresponding lines in images table";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return 0;
  }
  int deleted = 0;
  for (const CheckedFile& file : files) {
    const std::string path = file.PathBytes();
    struct stat info {};
    // The listed path itself: a link is removed as a link (unlink never follows it), a folder never.
    if (file.nameBytes.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (::unlink(path.c_str()) == 0) ++deleted;
  }
  files.clear();
  return deleted;
}

int DeleteLinesWithoutFiles(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedLine>& lines) {
  const std::string question =
      "Delete " + std::to_string(lines.size()) + " lines from images table '" + settings.images + "'";
  if (port.ShowMessage(question, MessageIcon::Question, kWindowTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return 0;
  }
  if (!OpenCatalogue(connection, port, settings, fileDsnSelected)) return 0;
  int sent = 0;
  bool failed = false;
  for (const CheckedLine& line : lines) {
    if (!SendOrReport(connection, port, DeleteCheckedLine(settings.images, line.folder, line.file))) {
      failed = true;
      break;
    }
    ++sent;
  }
  if (!failed) lines.clear();
  connection.CloseConnection();
  return sent;
}

}  // namespace tessarine
