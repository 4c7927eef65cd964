#include "cli/MatchListing.h"

#include <algorithm>

#include "core/ImageColumns.h"

namespace tessarine {
namespace {

constexpr long long kPageSize = 1000;

}  // namespace

Expected<long long> ForEachMatch(CatalogueSearch& search, const std::function<void(const ViewRow&)>& each) {
  long long read = 0;
  std::vector<ViewRow> page;
  for (;;) {
    Expected<std::vector<ViewRow>> next = search.PageAfter(page.empty() ? nullptr : &page.back(), kPageSize);
    if (!next) return next.GetError();
    page = std::move(next.Value());
    for (const ViewRow& row : page) each(row);
    read += static_cast<long long>(page.size());
    if (static_cast<long long>(page.size()) < kPageSize) return read;
  }
}

std::string MatchPath(const CatalogueSearch& search, const ViewRow& row) {
  const auto& columns = search.Columns();
  std::string folder;
  std::string name;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].column == col::Folder) folder = row[i].value_or("");
    if (columns[i].column == col::FileName) name = row[i].value_or("");
  }
  std::replace(name.begin(), name.end(), '/', '\\');
  return folder + name;
}

std::string Escaped(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tessarine
