#pragma once
// The consistency check: walks every folder of the folder list, marks with the run's stamp each
// images-table row whose file it finds, lists the files that have no row, then lists the rows the
// run did not mark (their file is gone). The walk is the scan's own (WalkFolder), and its keys are
// the scan's (FolderKey), so a scanned file is found.

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
// of the path on disk, which are what "Delete files" removes.
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
};

struct CheckHooks {
  std::function<bool()> cancelRequested;                     // the check-cancel flag
  std::function<void(const std::string&)> progress;          // txtCheckedFile ("" clears it)
  std::function<void(const CheckedFile&)> fileWithoutLine;   // an entry joins the first list
  std::function<void(const CheckedLine&)> lineWithoutFile;   // an entry joins the second list
};

struct CheckResult {
  // The failure that left the lists incomplete (already reported): no connection, or the
  // lines-without-files query ("Error ..." in the status line).
  Status status;
  bool cancelled = false;
  int folderErrors = 0;    // walk levels ended by a reported database error
  std::string stamp;
  long long files = 0;
  long long elapsedSeconds = 0;
  std::vector<CheckedFile> filesWithoutLines;
  std::vector<CheckedLine> linesWithoutFiles;
};

// Runs the check over the given folder list (already reloaded by the caller), on the connection,
// which it opens and closes.
CheckResult RunConsistencyCheck(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                                bool fileDsnSelected, const std::vector<FolderEntry>& folders,
                                const CheckHooks& hooks = {});

// "Delete files": asks, then deletes each listed path (its bytes; a link as a link; a folder never).
// Failures are passed over silently. Returns the number of files deleted; clears the list on Yes.
int DeleteFilesWithoutLines(UserPort& port, std::vector<CheckedFile>& files);

// "Delete lines": asks, then deletes the row of each entry. A refused delete is reported and stops
// the deletion with the list kept. Returns the number of statements sent; clears the list when all
// went through.
int DeleteLinesWithoutFiles(CatalogueConnection& connection, UserPort& port, const Settings& settings,
                            bool fileDsnSelected, std::vector<CheckedLine>& lines);

}  // namespace tessarine
