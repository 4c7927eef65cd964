#include "workflows/xmpcustom/CustomXmpColumns.h"

namespace tessarine {

std::string ColumnBoxText(std::string_view number) {
  return number.empty() ? std::string() : std::string(kCustomColumnPrefix) + std::string(number);
}

std::string ColumnNumberOf(std::string_view boxText) {
  return boxText.size() <= kCustomColumnPrefix.size() ? std::string()
                                                      : std::string(boxText.substr(kCustomColumnPrefix.size()));
}

std::string ColumnOptionCaption(int option) {
  const std::string number = std::to_string(option + 1);
  return number.size() < 2 ? "0" + number : number;
}

CustomXmpDefinition BoxesFromDefinition(const CustomXmpDefinition& definition) {
  CustomXmpDefinition boxes = definition;
  for (CustomXmpSchema& schema : boxes.schemas) {
    for (CustomXmpProperty& property : schema.properties) property.dbFieldName = ColumnBoxText(property.dbFieldName);
  }
  return boxes;
}

CustomXmpDefinition DefinitionFromBoxes(const CustomXmpDefinition& boxes) {
  CustomXmpDefinition definition = boxes;
  for (CustomXmpSchema& schema : definition.schemas) {
    for (CustomXmpProperty& property : schema.properties) property.dbFieldName = ColumnNumberOf(property.dbFieldName);
  }
  return definition;
}

std::array<std::string, kCustomRowCount> ColumnBoxesOf(const CustomXmpDefinition& boxes) {
  std::array<std::string, kCustomRowCount> columns;
  for (int i = 0; i < kCustomSchemaCount; ++i) {
    for (int j = 0; j < kCustomPropertyCount; ++j) columns[RowIndex(i, j)] = boxes.schemas[i].properties[j].dbFieldName;
  }
  return columns;
}

}  // namespace tessarine
