#include "metadata/XmpNamespaces.h"

#include <array>
#include <string_view>

namespace tessarine {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kStandardNamespaces{{
    {"x", "adobe:ns:meta/"},
    {"rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"},
    {"iX", "http://ns.adobe.com/iX/1.0/"},
    {"pdf", "http://ns.adobe.com/pdf/1.3/"},
    {"photoshop", "http://ns.adobe.com/photoshop/1.0/"},
    {"xap", "http://ns.adobe.com/xap/1.0/"},
    {"xapGImg", "http://ns.adobe.com/xap/1.0/g/img/"},
    {"xapMM", "http://ns.adobe.com/xap/1.0/mm/"},
    {"dc", "http://purl.org/dc/elements/1.1/"},
    {"xapRights", "http://ns.adobe.com/xap/1.0/rights/"},
    {"Iptc4xmpCore", "http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/"},
}};

void Append(NamespaceList& list, std::string prefix, std::string uri) {
  if (!list.text.empty()) list.text += ' ';
  list.text += "xmlns:" + prefix + "='" + uri + "'";
  list.bindings.emplace_back(std::move(prefix), std::move(uri));
}

}  // namespace

NamespaceList BuildNamespaceList(const CustomXmpDefinition& custom) {
  NamespaceList list;
  for (const auto& [prefix, uri] : kStandardNamespaces) Append(list, std::string(prefix), std::string(uri));
  for (const CustomXmpSchema& schema : custom.schemas) {
    if (schema.prefix.empty() || schema.ns.empty()) continue;
    if (list.text.find("xmlns:" + schema.prefix) != std::string::npos) continue;
    Append(list, schema.prefix, schema.ns);
  }
  return list;
}

}  // namespace tessarine
