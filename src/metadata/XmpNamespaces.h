#pragma once
// The namespace list that binds the prefixes of the XPath expressions: the standard
// schemas, then the user's custom schemas.

#include <string>
#include <utility>
#include <vector>

#include "core/CustomXmpDefinition.h"

namespace tessarine {

struct NamespaceList {
  std::string text;  // "xmlns:x='adobe:ns:meta/' xmlns:rdf='...' ..."
  std::vector<std::pair<std::string, std::string>> bindings;  // (prefix, uri) in the same order
};

// The standard schemas, then each custom schema that has a prefix and a URI, appended as
// " xmlns:prefix='uri'" unless the text "xmlns:" + prefix already occurs in the list (so a
// prefix that begins an earlier one, such as "ph", is not added either).
NamespaceList BuildNamespaceList(const CustomXmpDefinition& custom);

}  // namespace tessarine
