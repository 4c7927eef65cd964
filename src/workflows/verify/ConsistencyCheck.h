#pragma once
// The consistency check: walks every folder of the folder list, marks with the run's stamp each
// images-table row whose file it finds, lists the files that have no row, then lists the rows the
// run did not mark (their file is gone). The walk is the scan's own (WalkFolder), and its keys are
// the scan's (FolderKey), so a scanned file is found. Only rows whose file the walk proved gone are
// listed: rows under folders that could not be read, were not reached or lie outside the listed
// folders never are. Both deletions look again at the moment they act.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "core/Settings.h"
#include "core/UserPort.h"
#include "workflows/folders/FolderEntry.h"

namespace tessarine {

class CatalogueConnection;

// An entry of "Files without corresponding lines in images table": the texts shown, and the bytes
// of the path on disk, which are what "Move to trash" moves.
struct CheckedFile {
  std::string folder;       // the folder as the walk was given it, as text, ending in "/"
  std::string file;         // the bare file name as text
  std::string folderBytes;  // the same folder, as bytes
  std::string nameBytes;    // the same name, as bytes

  std::string PathBytes() const { return folderBytes + nameBytes; }
};

// An entry of "Lines in images table without corresponding files": the row's Folder, and its
// FileName with every "/" turned back into the "\" the scan replaced (a Linux name holds no "/").
struct CheckedLine {
  std::string folder;
  std::string file;
  std::string folderKey;  // the row's keys, as stored
  std::string fileKey;
};

struct CheckHooks {
  std::function<bool()> cancelRequested;                     // the check-cancel flag
  std::function<void(const std::string&)> progress;          // txtCheckedFile ("" clears it)
  std::function<void(const CheckedFile&)> fileWithoutLine;   // an entry joins the first list
  std::function<void(const CheckedLine&)> lineWithoutFile;   // an entry joins the second list
  std::function<void(const std::string&)> problem;           // a folder that could not be read
};

struct CheckResult {
  // The failure that left the lists incomplete (already reported): an images-table name that is not
  // valid (CheckedTableName, nothing connected), no connection, or the lines-without-files query
  // ("Error ..." in the status line).
  Status status;
  bool cancelled = false;
  int folderErrors = 0;    // walk levels ended by a reported database error
  // Listed folders that could not be read (missing, unreadable, or empty while the table holds
  // rows for them): their rows are kept and never listed.
  std::vector<std::string> unreachable;
  long long unreadable = 0;  // subfolders that could not be read: their rows are never listed
  std::string stamp;
  long long files = 0;
  long long elapsedSeconds = 0;
  std::vector<CheckedFile> filesWithoutLines;
  std::vector<CheckedLine> linesWithoutFiles;
  // Files without rows that this server cannot hold (a path longer than a key column): no scan can
  // catalogue them, so they are never offered for deletion; each is said in the log with why.
  std::vector<CheckedFile> notCatalogued;
};

// Runs the check over the given folder list (already reloaded by the caller), on the connection,
// which it opens and closes.
CheckResult RunConsistencyCheck(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                bool fileDsnSelected, const std::vector<FolderEntry>& folders,
                                const CheckHooks& hooks = {});

// "Move to trash": asks (No by default), then moves each listed file to the trash, but only while it
// still has no row and is still a plain file. Returns the number of files moved. On Yes the list
// keeps only the files that should have moved and did not (the trash refused them, or a database
// error stopped the deletions): the first refusal's reason is told once in a message, each file's
// in the log. An images-table name that is not valid is reported before the question
// (CheckedTableName) and nothing is moved.
int DeleteFilesWithoutLines(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedFile>& files);

// "Delete lines": asks (No by default), then deletes the row of each entry, but only while its
// file is still absent from disk. A refused delete is reported and stops the deletion with the
// list kept; an images-table name that is not valid is reported before the question
// (CheckedTableName) and nothing is deleted. Returns the number of rows deleted; clears the list
// when all went through.
int DeleteLinesWithoutFiles(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedLine>& lines);

}  // namespace tessarine
