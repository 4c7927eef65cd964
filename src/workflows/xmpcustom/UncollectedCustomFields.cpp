#include "workflows/xmpcustom/UncollectedCustomFields.h"

#include "core/WindowTitle.h"
#include "workflows/xmpcustom/CustomXmpColumns.h"

namespace tessarine {

std::vector<std::string> UncollectedCustomFields(const CustomXmpDefinition& definition) {
  std::vector<std::string> lines;
  for (int i = 0; i < kCustomSchemaCount; ++i) {
    const CustomXmpSchema& schema = definition.schemas[i];
    // A schema without a description is not defined: its boxes are drafts.
    if (schema.description.empty()) continue;
    for (int j = 0; j < kCustomPropertyCount; ++j) {
      const CustomXmpProperty& property = schema.properties[j];
      if (property.xmpFieldName.empty() || IsCollectable(property)) continue;
      std::string line = "Custom XMP field '" + property.xmpFieldName + "' (schema #" + std::to_string(i + 1) +
                         ", field #" + std::to_string(j + 1) + "): ";
      if (CustomColumnNumber(property.dbFieldName) == 0) {
        line += property.dbFieldName.empty()
                    ? "no database column"
                    : "the stored column '" + property.dbFieldName +
                          "' is not one of 01 to 100 (XMPCustom01 to XMPCustom100)";
      } else {
        line += "the name is not a valid XMP property name";
      }
      lines.push_back(line);
    }
  }
  return lines;
}

void WarnOfUncollectedCustomFields(UserPort& port, const CustomXmpDefinition& definition) {
  const std::vector<std::string> lines = UncollectedCustomFields(definition);
  if (lines.empty()) return;
  std::string text = "These custom XMP fields are not collected:";
  for (const std::string& line : lines) text += "\r\n" + line;
  text += "\r\nCorrect them with \"Define custom XMP fields\" on tab 4.";
  port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
}

}  // namespace tessarine
