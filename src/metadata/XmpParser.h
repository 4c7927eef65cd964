#pragma once
// Reads the XMP packet of one file: the Dublin Core, Photoshop, XMP Rights and IPTC Core
// properties and the user's custom properties. Created once per scan.
//
// Two rule sets. The classic rules take, for each schema, the first rdf:Description that declares
// its standard prefix (and only the first schema such a Description declares). The modern rules
// read each property from the first rdf:Description that holds it, as an element or, for a
// simple property, as an attribute, whatever prefix the packet gives its namespace; and a packet
// whose root is rdf:RDF is read too. Both match properties by their namespace URI.

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
  std::string sourceText;  // the failing line of the packet, spaces trimmed, at most 200 characters
  std::string reason;      // the parser's own words, at most 200 characters
  std::string refusal;     // set instead when the packet was refused unparsed (one with a DTD)
};

// "Parsing error:Line: 3, position: 7 <source> <reason>", or the refusal.
std::string ParseErrorMessage(const XmpParseError& error);

inline constexpr std::string_view kDtdRefusal = "XMP packet with a DTD: refused";

// The texts a property was found with in one Description, read only when asked: its elements'
// texts, or the value of its attribute form.
struct XmpPropertyTexts {
  std::vector<xmlNode*> nodes;
  std::optional<std::string> attribute;

  bool Empty() const { return nodes.empty() && !attribute; }
  std::size_t Count() const { return attribute ? 1 : nodes.size(); }
  std::string Text(std::size_t i) const;  // i < Count()
};

class XmpParser {
 public:
  enum class Rules { Classic, Modern };

  explicit XmpParser(const CustomXmpDefinition& custom, Rules rules = Rules::Classic);
  ~XmpParser();
  XmpParser(const XmpParser&) = delete;
  XmpParser& operator=(const XmpParser&) = delete;

  // Parses the packet's bytes and fills the record's XMP values, copyright status and
  // custom values. A packet that is not well-formed XML yields its error and no value; so does
  // one that declares a document type: no entity is ever expanded, no DTD ever read.
  std::optional<XmpParseError> Read(std::string_view packet, MetadataRecord& record) const;

  const std::string& NamespaceListText() const { return m_namespaces.text; }

 private:
  struct CustomSlot {
    std::size_t schema;  // 0..9
    std::size_t column;  // index into MetadataRecord::custom
    xml::XPathExpression expression;
    std::string name;    // the property's local name and namespace, for its attribute form
    std::string uri;
  };

  void RegisterNamespaces(xmlXPathContext* context) const;
  void ReadSchema(xmlXPathContext* context, xmlNode* node, std::size_t schema, MetadataRecord& record) const;
  using StandardNodes = std::array<xmlNode*, 4>;  // dc, photoshop, xapRights, Iptc4xmpCore
  using CustomNodes = std::array<xmlNode*, kCustomSchemaCount>;
  // The modern rules: each property from the classic rules' node of its schema when that holds it,
  // else from the first other Description that does.
  void ReadEveryDescription(xmlXPathContext* context, const StandardNodes& standardNodes,
                            const CustomNodes& customNodes, const std::vector<xmlNode*>& descriptions,
                            MetadataRecord& record) const;
  // The raw texts of a standard property in one Description: its elements' texts, else the value
  // of its attribute form (simple properties only). Empty when the Description lacks it.
  XmpPropertyTexts RawValues(xmlXPathContext* context, std::size_t property, xmlNode* description) const;

  CustomXmpDefinition m_custom;
  Rules m_rules;
  NamespaceList m_namespaces;
  xml::XPathExpression m_descriptions;
  xml::XPathExpression m_rootDescriptions;                 // for a packet whose root is rdf:RDF
  std::vector<std::pair<std::string, std::string>> m_attributeForms;  // per property: name, URI; empty
                                                                      // when only an element can hold it
  std::vector<xml::XPathExpression> m_standardExpressions;  // one per property of the table
  std::vector<CustomSlot> m_customSlots;
};

}  // namespace tessarine
