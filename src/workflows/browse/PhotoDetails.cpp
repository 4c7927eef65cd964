#include "workflows/browse/PhotoDetails.h"

#include <cctype>

#include "catalogue/CatalogueConnection.h"
#include "core/DatabaseError.h"
#include "core/ImageColumns.h"
#include "core/TableName.h"
#include "workflows/browse/ViewColumns.h"

namespace tessarine {
namespace {

std::string TitleOf(std::size_t column, const std::vector<ViewColumn>& shownColumns) {
  for (const ViewColumn& shown : shownColumns) {
    if (shown.column == column) return shown.title;
  }
  const std::string_view name = column < ImageColumns().size() ? ImageColumns()[column].name : "";
  std::string title;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool wordStart = i > 0 && std::isupper(c) && std::islower(static_cast<unsigned char>(name[i - 1]));
    if (wordStart) title += ' ';
    title += name[i];
  }
  return title;
}

}  // namespace

std::string ColumnTitle(std::size_t column, const CustomXmpDefinition& custom) {
  return TitleOf(column, ViewColumnsOf(custom));
}

std::vector<PhotoField> ReadPhotoFields(CatalogueConnection& connection, const Settings& settings,
                                        std::string_view folderText, std::string_view fileText,
                                        std::string* problem) {
  std::vector<PhotoField> fields;
  const std::optional<TableName> images = TableName::Of(settings.images);
  if (!images) return fields;
  SqlStatement query("select * from " + images->Text() + " where Folder = ? and FileName = ?;");
  query.Bind(folderText).Bind(fileText);
  try {
    const auto row = connection.ExecuteStatement(query);
    if (!row || row->IsEof()) return fields;
    const std::vector<ViewColumn> shown = ViewColumnsOf(settings.custom);
    for (std::size_t i = 0; i < row->FieldCount(); ++i) {
      const std::optional<std::string>& value = row->FieldValue(i);
      if (!value || value->find_first_not_of(' ') == std::string::npos) continue;
      for (std::size_t column = 0; column < ImageColumns().size(); ++column) {
        if (!SameIgnoringCase(ImageColumns()[column].name, row->FieldName(i))) continue;
        fields.push_back({TitleOf(column, shown), column == col::CreatedDate ? ShownDay(*value) : *value});
        break;
      }
    }
  } catch (const DatabaseError& error) {
    if (problem != nullptr) *problem = error.CommonText();
    fields.clear();
  }
  return fields;
}

}  // namespace tessarine
