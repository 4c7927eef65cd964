#include "workflows/browse/ViewColumns.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

#include "core/ImageColumns.h"

namespace tessarine {
namespace {

struct FixedViewColumn {
  std::size_t column;
  std::string_view title;
};

constexpr std::array<FixedViewColumn, 13> kFixedViewColumns{{
    {col::Folder, "Folder"},
    {col::FileName, "File"},
    {col::ObjectName, "Title"},
    {col::Headline, "Headline"},
    {col::Caption, "Caption"},
    {col::Keywords, "Keywords"},
    {col::Byline, "Byline"},
    {col::City, "City"},
    {col::Country, "Country"},
    {col::CreatedDate, "Date"},
    {col::Width, "Width"},
    {col::Height, "Height"},
    {col::Copyright, "Copyright"},
}};

// The custom column number a definition names: 1..100 from one to three digits, else 0.
std::size_t BoundNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 3) return 0;
  std::size_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n <= kCustomColumnCount ? n : 0;
}

// Column number -> the title of the first property bound to it.
std::map<std::size_t, std::string> BoundCustomColumns(const CustomXmpDefinition& custom) {
  std::map<std::size_t, std::string> bound;
  for (const CustomXmpSchema& schema : custom.schemas) {
    if (schema.prefix.empty()) continue;
    for (const CustomXmpProperty& property : schema.properties) {
      const std::size_t n = BoundNumber(property.dbFieldName);
      if (n != 0 && !property.xmpFieldName.empty()) bound.emplace(n, property.xmpFieldName);
    }
  }
  return bound;
}


}  // namespace

std::vector<ViewColumn> ViewColumnsOf(const CustomXmpDefinition& custom) {
  const auto& all = ImageColumns();
  std::vector<ViewColumn> columns;
  for (const FixedViewColumn& fixed : kFixedViewColumns) {
    columns.push_back({fixed.column, all[fixed.column].name, std::string(fixed.title)});
  }
  for (const auto& [n, title] : BoundCustomColumns(custom)) {
    const std::size_t column = CustomColumnIndex(n);
    columns.push_back({column, all[column].name, title});
  }
  return columns;
}

std::vector<std::size_t> SearchedColumnsOf(const CustomXmpDefinition& custom) {
  std::vector<std::size_t> columns(kSearchedFixedColumns.begin(), kSearchedFixedColumns.end());
  for (const auto& entry : BoundCustomColumns(custom)) columns.push_back(CustomColumnIndex(entry.first));
  return columns;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::optional<std::size_t> FindViewColumn(const std::vector<ViewColumn>& columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (SameIgnoringCase(columns[i].title, name)) return i;
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (SameIgnoringCase(columns[i].name, name)) return i;
  }
  return std::nullopt;
}

std::string ShownFolder(const std::vector<std::string>& listedFolders, std::string_view folder) {
  std::string_view holder;
  for (const std::string& listed : listedFolders) {
    if (listed.size() > holder.size() && listed.ends_with('/') && folder.starts_with(listed)) holder = listed;
  }
  if (holder.size() < 2) return std::string(folder);  // none, or "/" itself
  const std::size_t nameStart = holder.rfind('/', holder.size() - 2) + 1;
  return std::string(folder.substr(nameStart));
}

std::string ShownDay(std::string_view stored) {
  if (stored.size() != 8 || !std::ranges::all_of(stored, [](char c) { return c >= '0' && c <= '9'; })) {
    return std::string(stored);
  }
  return std::string(stored.substr(0, 4)) + '-' + std::string(stored.substr(4, 2)) + '-' +
         std::string(stored.substr(6, 2));
}

}  // namespace tessarine
