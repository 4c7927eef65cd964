#include "workflows/browse/RequiredFields.h"

#include <algorithm>
#include <array>

#include "core/CompanionValues.h"
#include "core/ImageColumns.h"
#include "workflows/browse/ViewColumns.h"

namespace tessarine {
namespace {

struct Alias {
  std::string_view name;
  std::size_t column;
};

// The names the IIM and XMP standards give the columns whose own names differ.
constexpr std::array<Alias, 6> kAliases{{
    {"CopyrightNotice", col::Copyright},
    {"Creator", col::Byline},
    {"Description", col::Caption},
    {"CreditLine", col::Credit},
    {"Instructions", col::SpecialInstructions},
    {"DateCreated", col::CreatedDate},
}};

constexpr std::string_view kAnyKeyword = "Keyword";

bool IsText(std::size_t column) {
  const ColumnKind kind = ImageColumns().at(column).kind;
  return kind == ColumnKind::LongText || kind == ColumnKind::Custom;
}

std::optional<std::size_t> ImagesColumnNamed(std::string_view name, const CustomXmpDefinition& custom) {
  const std::vector<ViewColumn> view = ViewColumnsOf(custom);
  if (const std::optional<std::size_t> shown = FindViewColumn(view, name)) return view[*shown].column;
  for (const Alias& alias : kAliases) {
    if (SameIgnoringCase(alias.name, name)) return alias.column;
  }
  const auto& all = ImageColumns();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (SameIgnoringCase(all[i].name, name)) return i;
  }
  return std::nullopt;
}

}  // namespace

std::optional<RequiredField> FindRequiredField(std::string_view name, const CustomXmpDefinition& custom) {
  if (SameIgnoringCase(name, kAnyKeyword)) return RequiredField{RequiredField::Table::Keywords, "", false};
  if (const std::optional<std::size_t> column = ImagesColumnNamed(name, custom)) {
    if (!IsText(*column)) return std::nullopt;
    return RequiredField{RequiredField::Table::Images, std::string(ImageColumns()[*column].name), false};
  }
  for (const FactColumn& fact : kFactColumns) {
    if (!SameIgnoringCase(fact.name, name)) continue;
    const bool numeric = fact.kind == FactKind::Real || fact.kind == FactKind::Integer;
    return RequiredField{RequiredField::Table::Facts, std::string(fact.name), numeric};
  }
  return std::nullopt;
}

std::vector<std::string> SplitFieldNames(std::string_view text) {
  std::vector<std::string> names;
  std::size_t at = 0;
  const auto separates = [](char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; };
  while (at < text.size()) {
    while (at < text.size() && separates(text[at])) ++at;
    const std::size_t start = at;
    while (at < text.size() && !separates(text[at])) ++at;
    const std::string_view name = text.substr(start, at - start);
    if (name.empty()) continue;
    if (std::ranges::none_of(names, [&](const std::string& known) { return SameIgnoringCase(known, name); })) {
      names.emplace_back(name);
    }
  }
  return names;
}

std::string UnknownFieldMessage(std::string_view name) {
  return "No field is named '" + std::string(name) +
         "': name a text column of the images table (Byline, Caption, Copyright, Headline, City...), a column of its "
         "facts table (DateTaken, Make, Model, Latitude, PersonShown, DigitalSourceType...) or Keyword.";
}

}  // namespace tessarine
