#pragma once
// Reads the XMP packet of one file: the Dublin Core, Photoshop, XMP Rights and IPTC Core
// properties and the user's custom properties. Created once per scan.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CustomXmpDefinition.h"
#include "metadata/LibXml.h"
#include "metadata/MetadataRecord.h"
#include "metadata/XmpNamespaces.h"

namespace tessarine {

struct XmpParseError {
  int line = 0;
  int column = 0;
  std::string sourceText;  // the failing line of the packet, spaces trimmed
  std::string reason;      // the parser's own words
};

// "Parsing error:Line: 3, position: 7 <source> <reason>"
std::string ParseErrorMessage(const XmpParseError& error);

class XmpParser {
 public:
  explicit XmpParser(const CustomXmpDefinition& custom);
  ~XmpParser();
  XmpParser(const XmpParser&) = delete;
  XmpParser& operator=(const XmpParser&) = delete;

  // Parses the packet's bytes and fills the record's XMP values, copyright status and
  // custom values. A packet that is not well-formed XML yields its error and no value.
  std::optional<XmpParseError> Read(std::string_view packet, MetadataRecord& record) const;

  const std::string& NamespaceListText() const { return m_namespaces.text; }

 private:
  struct CustomSlot {
    std::size_t schema;  // 0..9
    std::size_t column;  // index into MetadataRecord::custom
    xml::XPathExpression expression;
  };

  void RegisterNamespaces(xmlXPathContext* context) const;
  void ReadSchema(xmlXPathContext* context, xmlNode* node, std::size_t schema, MetadataRecord& record) const;

  CustomXmpDefinition m_custom;
  NamespaceList m_namespaces;
  xml::XPathExpression m_descriptions;
  std::vector<xml::XPathExpression> m_standardExpressions;  // one per property of the table
  std::vector<CustomSlot> m_customSlots;
};

}  // namespace tessarine
