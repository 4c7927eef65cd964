#include "workflows/xmpcustom/CustomXmpCheck.h"

#include <algorithm>

namespace tessarine {
namespace {

bool HasBlank(std::string_view text) { return text.find(' ') != std::string_view::npos; }

bool IsReservedPrefix(std::string_view prefix) {
  return std::find(std::begin(kReservedPrefixes), std::end(kReservedPrefixes), prefix) != std::end(kReservedPrefixes);
}

std::string Quote(std::string_view head, std::string_view caption, std::string_view text) {
  return std::string(head) + std::string(caption) + " -> " + std::string(text);
}

// The checks of one defined schema; adds its bound rows to the control list.
std::string CheckSchema(const CustomXmpSchema& schema, std::vector<std::string>& entries) {
  if (schema.ns.empty() || HasBlank(schema.ns)) return Quote("Invalid Name: ", kNameSpaceCaption, schema.ns);
  if (schema.ns.back() != '/' && schema.ns.back() != '#') {
    return Quote("A namespace must end in '/' or '#': ", kNameSpaceCaption, schema.ns);
  }
  if (schema.prefix.empty() || HasBlank(schema.prefix) || IsReservedPrefix(schema.prefix)) {
    return Quote("Invalid Name: ", kPrefixCaption, schema.prefix);
  }
  for (const CustomXmpProperty& row : schema.properties) {
    if (!row.xmpFieldName.empty()) {
      // A named property needs a column; the property name itself is not checked.
      if (row.dbFieldName.empty()) return "Press Select to choose a column for " + row.xmpFieldName;
      if (HasBlank(row.dbFieldName)) {
        return row.xmpFieldName + "\n" + Quote("Invalid Name: ", kDbFieldNameCaption, row.dbFieldName);
      }
      entries.push_back(schema.prefix + ":" + row.dbFieldName);
    } else if (!row.dbFieldName.empty()) {
      return Quote("Invalid Name: ", kDbFieldNameCaption, row.dbFieldName);
    }
  }
  return {};
}

}  // namespace

CustomXmpCheckResult CheckCustomXmpBoxes(const CustomXmpDefinition& boxes) {
  CustomXmpCheckResult result;
  for (const CustomXmpSchema& schema : boxes.schemas) {
    // A schema without a description is not defined and not checked; blanks count as a description.
    if (schema.description.empty()) continue;
    result.message = CheckSchema(schema, result.controlEntries);
    if (!result.Passed()) break;
  }
  std::sort(result.controlEntries.begin(), result.controlEntries.end());
  if (!result.Passed()) return result;
  // The same column given twice under the same prefix.
  const auto duplicate = std::adjacent_find(result.controlEntries.begin(), result.controlEntries.end());
  if (duplicate != result.controlEntries.end()) result.message = "Duplicate Name: " + *duplicate;
  return result;
}

}  // namespace tessarine
