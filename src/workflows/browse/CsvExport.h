#pragma once
// The view as CSV (RFC 4180): records end with CR LF; a field holding a comma, a double quote, CR or
// LF is put in double quotes, its quotes doubled; text is written as the catalogue holds it (UTF-8).
// No byte order mark by default: the header's first field then reads "Folder" to every CSV reader
// and to the tools a command's output is piped into; a spreadsheet that needs the mark to take the
// file as UTF-8 is given it on request.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "workflows/browse/CatalogueSearch.h"

namespace tessarine {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// One field as it is written.
std::string CsvField(std::string_view value);

// A text that a spreadsheet would run as a formula ("=...", "+...", "-...", "@...", or one beginning
// with a tab or CR) with an apostrophe before it, which the spreadsheet shows as text; any other
// text as it is.
std::string GuardedFromFormulas(std::string_view value);

// One record and its CR LF; SQL NULL is an empty field. With guardFormulas, each value is
// GuardedFromFormulas first.
void WriteCsvRecord(std::ostream& out, const std::vector<std::optional<std::string>>& fields,
                    bool guardFormulas = false);

struct CsvOptions {
  bool byteOrderMark = false;
  // For a file meant for a spreadsheet: the photos' own texts never run as formulas there. Off, the
  // export holds every value exactly as the catalogue does.
  bool guardFormulas = false;
  // Dates as the view shows them (ShownDay, ISO 8601); off, as the catalogue stores them.
  bool shownDates = false;
  long long pageSize = 1000;  // rows read and written at a time: the most held at once
};

// The header (the view's titles), then every match, read page by page. The number of rows written,
// or the database error that ended the export (reported by the search).
Expected<long long> ExportCsv(CatalogueSearch& search, std::ostream& out, const CsvOptions& options = {});

// The same into a file, written under a new name beside it and renamed into its place once whole: a
// failed export never leaves half a file where a good one was, and a link at the name is replaced,
// never written through. The file is readable by all less the umask, never more than its folder. The
// number of rows written, or nothing when the export or the file failed (the old file, if any, stays).
std::optional<long long> ExportCsvFile(CatalogueSearch& search, const std::filesystem::path& file,
                                       const CsvOptions& options = {});

}  // namespace tessarine
