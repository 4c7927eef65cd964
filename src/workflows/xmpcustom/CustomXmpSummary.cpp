#include "workflows/xmpcustom/CustomXmpSummary.h"

#include <set>

namespace tessarine {

std::string CustomXmpSummary(const CustomXmpDefinition& definition) {
  int properties = 0;
  std::set<std::string> namespaces;
  // Every schema counts, whether its description is filled in or not.
  for (const CustomXmpSchema& schema : definition.schemas) {
    for (const CustomXmpProperty& property : schema.properties) properties += property.xmpFieldName.empty() ? 0 : 1;
    if (!schema.ns.empty()) namespaces.insert(schema.ns);
  }
  if (properties == 0) return "No custom fields defined";
  return "Custom fields defined: " + std::to_string(properties) + "\nXMP Schemas defined: " +
         std::to_string(namespaces.size());
}

}  // namespace tessarine
