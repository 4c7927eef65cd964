#include "workflows/browse/CsvExport.h"

#include <algorithm>

namespace tessarine {

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string field = "\"";
  for (char c : value) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

std::string GuardedFromFormulas(std::string_view value) {
  if (value.empty() || std::string_view("=+-@\t\r").find(value.front()) == std::string_view::npos) {
    return std::string(value);
  }
  return "'" + std::string(value);
}

void WriteCsvRecord(std::ostream& out, const std::vector<std::optional<std::string>>& fields, bool guardFormulas) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out << ',';
    if (fields[i]) out << CsvField(guardFormulas ? GuardedFromFormulas(*fields[i]) : *fields[i]);
  }
  out << "\r\n";
}

Expected<long long> ExportCsv(CatalogueSearch& search, std::ostream& out, const CsvOptions& options) {
  if (options.byteOrderMark) out << kUtf8ByteOrderMark;
  std::vector<std::optional<std::string>> header;
  for (const ViewColumn& column : search.Columns()) header.emplace_back(column.title);
  WriteCsvRecord(out, header);

  const long long pageSize = std::max(options.pageSize, 1LL);
  long long written = 0;
  std::vector<ViewRow> page;
  for (;;) {
    Expected<std::vector<ViewRow>> next = search.PageAfter(page.empty() ? nullptr : &page.back(), pageSize);
    if (!next) return next.GetError();
    page = std::move(next.Value());
    for (const ViewRow& row : page) WriteCsvRecord(out, row, options.guardFormulas);
    written += static_cast<long long>(page.size());
    if (static_cast<long long>(page.size()) < pageSize) return written;
  }
}

}  // namespace tessarine
