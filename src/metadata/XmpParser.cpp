#include "metadata/XmpParser.h"

#include <libxml/xmlerror.h>

#include <cstring>
#include <memory>

#include "core/TextDecoding.h"
#include "core/ValueBound.h"
#include "metadata/XmpCompanions.h"

namespace tessarine {
namespace {

enum class SchemaNode { Dc, Photoshop, XapRights, Iptc4xmpCore };
constexpr std::size_t kStandardSchemaCount = 4;

enum class ValueKind { Single, List };
enum class Special { None, CopyrightStatus, DateCreated, Location };

struct Property {
  SchemaNode node;
  const char* xpath;
  ValueKind kind;
  std::size_t column;
  bool lineBreaks;
  Special special = Special::None;
};

constexpr std::size_t kNoColumn = kImageColumnCount;
constexpr std::size_t kMaxSearchedDescriptions = 1'000;

// The standard prefix that declares each schema node on an rdf:Description.
constexpr std::array<const char*, kStandardSchemaCount> kSchemaPrefixes{"dc", "photoshop", "xapRights",
                                                                         "Iptc4xmpCore"};

constexpr std::array<Property, 35> kProperties{{
    {SchemaNode::Dc, "dc:title/rdf:Alt/rdf:li", ValueKind::Single, col::ObjectName, false},
    {SchemaNode::Dc, "dc:creator/rdf:Seq/rdf:li", ValueKind::List, col::Byline, false},
    {SchemaNode::Dc, "dc:description/rdf:Alt/rdf:li", ValueKind::Single, col::Caption, true},
    {SchemaNode::Dc, "dc:rights/rdf:Alt/rdf:li", ValueKind::Single, col::Copyright, true},
    {SchemaNode::Dc, "dc:subject/rdf:Bag/rdf:li", ValueKind::List, col::Keywords, false},
    {SchemaNode::Photoshop, "photoshop:CaptionWriter", ValueKind::Single, col::CaptionWriter, true},
    {SchemaNode::Photoshop, "photoshop:Category", ValueKind::Single, col::Category, false},
    {SchemaNode::Photoshop, "photoshop:DateCreated", ValueKind::Single, kNoColumn, false, Special::DateCreated},
    {SchemaNode::Photoshop, "photoshop:City", ValueKind::Single, col::City, true},
    {SchemaNode::Photoshop, "photoshop:State", ValueKind::Single, col::ProvinceState, true},
    {SchemaNode::Photoshop, "photoshop:Country", ValueKind::Single, col::Country, true},
    {SchemaNode::Photoshop, "photoshop:Credit", ValueKind::Single, col::Credit, true},
    {SchemaNode::Photoshop, "photoshop:Source", ValueKind::Single, col::Source, true},
    {SchemaNode::Photoshop, "photoshop:Headline", ValueKind::Single, col::Headline, true},
    {SchemaNode::Photoshop, "photoshop:Instructions", ValueKind::Single, col::SpecialInstructions, true},
    {SchemaNode::Photoshop, "photoshop:TransmissionReference", ValueKind::Single, col::OriginalTransmissionReference, true},
    {SchemaNode::Photoshop, "photoshop:Urgency", ValueKind::Single, col::Urgency, false},
    {SchemaNode::Photoshop, "photoshop:AuthorsPosition", ValueKind::Single, col::BylineTitle, true},
    {SchemaNode::Photoshop, "photoshop:SupplementalCategories/rdf:Bag/rdf:li", ValueKind::List, col::SupplementalCategory, false},
    {SchemaNode::XapRights, "xapRights:Marked", ValueKind::Single, kNoColumn, false, Special::CopyrightStatus},
    {SchemaNode::XapRights, "xapRights:WebStatement", ValueKind::Single, col::XMPWebStatement, true},
    {SchemaNode::XapRights, "xapRights:UsageTerms/rdf:Alt/rdf:li", ValueKind::Single, col::XMPUsageTerms, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrExtadr", ValueKind::Single, col::CoreCiAdrExtadr, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrCity", ValueKind::Single, col::CoreCiAdrCity, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrRegion", ValueKind::Single, col::CoreCiAdrRegion, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrPcode", ValueKind::Single, col::CoreCiAdrPcode, false},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiAdrCtry", ValueKind::Single, col::CoreCiAdrCtry, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiTelWork", ValueKind::Single, col::CoreCiTelWork, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiEmailWork", ValueKind::Single, col::CoreCiEmailWork, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CreatorContactInfo/Iptc4xmpCore:CiUrlWork", ValueKind::Single, col::CoreCiUrlWork, true},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:SubjectCode/rdf:Bag/rdf:li", ValueKind::List, col::CoreSubjectCode, false},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:IntellectualGenre", ValueKind::Single, col::CoreIntellectualGenre, false},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:Scene/rdf:Bag/rdf:li", ValueKind::List, col::CoreScene, false},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:Location", ValueKind::Single, col::CoreLocation, true, Special::Location},
    {SchemaNode::Iptc4xmpCore, "Iptc4xmpCore:CountryCode", ValueKind::Single, col::CoreCountryCode, false},
}};

// A namespace name that is no valid URI ("my namespace"): libxml2 reports it at the error level,
// yet it is a warning of its own kind (XML_WAR_) and the document is read in full. Writers put such
// names in packets whose every value is sound.
bool IsNamespaceNameWarning(const xmlError& error) {
  return error.domain == XML_FROM_NAMESPACE && (error.code == XML_WAR_NS_URI || error.code == XML_WAR_NS_URI_RELATIVE);
}

// Collects the first error (or fatal error) that libxml2 reports while parsing.
struct ErrorCollector {
  std::optional<xmlError> first;
  std::string message;
  static void Handle(void* self, xmlErrorPtr error) {
    auto* collector = static_cast<ErrorCollector*>(self);
    if (error == nullptr || error->level < XML_ERR_ERROR || IsNamespaceNameWarning(*error) || collector->first) return;
    collector->first = *error;
    collector->message = error->message ? error->message : "";
    while (!collector->message.empty() && (collector->message.back() == '\n' || collector->message.back() == ' ')) {
      collector->message.pop_back();
    }
  }
};

void IgnoreError(void*, xmlErrorPtr) {}

// Swaps in a structured error handler for the lifetime of the guard (libxml2 keeps it per thread).
class ScopedErrorHandler {
 public:
  ScopedErrorHandler(void* context, xmlStructuredErrorFunc handler)
      : m_oldContext(xmlStructuredErrorContext), m_oldHandler(xmlStructuredError) {
    xmlSetStructuredErrorFunc(context, handler);
  }
  ~ScopedErrorHandler() { xmlSetStructuredErrorFunc(m_oldContext, m_oldHandler); }
  ScopedErrorHandler(const ScopedErrorHandler&) = delete;
  ScopedErrorHandler& operator=(const ScopedErrorHandler&) = delete;

 private:
  void* m_oldContext;
  xmlStructuredErrorFunc m_oldHandler;
};

std::string LineOf(std::string_view text, int line) {
  std::size_t pos = 0;
  for (int i = 1; i < line && pos != std::string_view::npos; ++i) {
    pos = text.find('\n', pos);
    if (pos != std::string_view::npos) ++pos;
  }
  if (pos == std::string_view::npos || pos > text.size()) return {};
  std::size_t end = text.find('\n', pos);
  std::string_view source = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
  while (!source.empty() && (source.back() == '\r')) source.remove_suffix(1);
  return DecodeUtf8Bytes(source);
}

// At most `limit` characters of a UTF-8 text, with "…" where it was cut: a message never carries
// more of a packet than a reader can take in.
std::string Quoted(std::string text, std::size_t limit = 200) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters++ == limit) {
      text.resize(i);
      return text + "\u2026";
    }
  }
  return text;
}

// Stops the parser at a document type declaration, before its internal subset is read.
void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxt*>(context);
  *static_cast<bool*>(parser->_private) = true;
  xmlStopParser(parser);
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

std::string TrimSpaces(std::string text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

xml::XPathExpression Compile(const std::string& expression) {
  ScopedErrorHandler quiet(nullptr, IgnoreError);
  return xml::XPathExpression(xmlXPathCompile(xml::Chars(expression)));
}

// The nodes an expression selects relative to node, in document order; empty on any XPath error.
std::vector<xmlNode*> Select(xmlXPathContext* context, xmlXPathCompExpr* expression, xmlNode* node) {
  std::vector<xmlNode*> nodes;
  if (expression == nullptr || node == nullptr) return nodes;
  context->node = node;
  xml::XPathObject result(xmlXPathCompiledEval(expression, context));
  if (!result || result->type != XPATH_NODESET || result->nodesetval == nullptr) return nodes;
  for (int i = 0; i < result->nodesetval->nodeNr; ++i) nodes.push_back(result->nodesetval->nodeTab[i]);
  return nodes;
}

bool IsBlankText(const xmlNode* child) {
  if (child->type != XML_TEXT_NODE || child->content == nullptr) return false;
  for (const xmlChar* c = child->content; *c; ++c) {
    if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') return false;
  }
  return true;
}

int ChildCount(const xmlNode* node) {
  int count = 0;
  for (const xmlNode* child = node->children; child; child = child->next) count += IsBlankText(child) ? 0 : 1;
  return count;
}

std::string PrefixOf(const xmlNs* ns) { return ns->prefix ? reinterpret_cast<const char*>(ns->prefix) : ""; }

}  // namespace

std::string XmpPropertyTexts::Text(std::size_t i) const {
  return attribute ? *attribute : xml::TextContent(nodes[i]);
}

std::string ParseErrorMessage(const XmpParseError& error) {
  if (!error.refusal.empty()) return error.refusal;
  return "Parsing error:Line: " + std::to_string(error.line) + ", position: " + std::to_string(error.column) + " " +
         error.sourceText + " " + error.reason;
}

XmpParser::XmpParser(const CustomXmpDefinition& custom, Rules rules)
    : m_custom(custom), m_rules(rules), m_namespaces(BuildNamespaceList(custom)) {
  xmlInitParser();
  m_descriptions = Compile("rdf:RDF/rdf:Description");
  m_rootDescriptions = Compile("rdf:Description");
  for (const Property& property : kProperties) {
    m_standardExpressions.push_back(Compile(property.xpath));
    // "photoshop:City" may also stand as an attribute of its Description; a path cannot.
    const std::string_view xpath = property.xpath;
    const std::size_t colon = xpath.find(':');
    std::pair<std::string, std::string> attribute;
    if (xpath.find('/') == std::string_view::npos && colon != std::string_view::npos) {
      const std::string_view prefix = xpath.substr(0, colon);
      for (const auto& [bound, uri] : m_namespaces.bindings) {
        if (bound == prefix) attribute = {std::string(xpath.substr(colon + 1)), uri};
      }
    }
    m_attributeForms.push_back(std::move(attribute));
  }

  for (std::size_t k = 0; k < m_custom.schemas.size(); ++k) {
    const CustomXmpSchema& schema = m_custom.schemas[k];
    if (schema.prefix.empty()) continue;
    // A prefix the namespace list does not bind cannot be selected: its values stay empty.
    bool bound = false;
    for (const auto& binding : m_namespaces.bindings) bound = bound || binding.first == schema.prefix;
    if (!bound) continue;
    for (const CustomXmpProperty& slot : schema.properties) {
      if (!IsCollectable(slot)) continue;
      const std::size_t n = CustomColumnNumber(slot.dbFieldName);
      auto expression = Compile(schema.prefix + ":" + slot.xmpFieldName);
      std::string uri;
      for (const auto& binding : m_namespaces.bindings) {
        if (binding.first == schema.prefix) uri = binding.second;
      }
      if (expression) m_customSlots.push_back({k, n - 1, std::move(expression), slot.xmpFieldName, uri});
    }
  }
}

XmpParser::~XmpParser() = default;

void XmpParser::RegisterNamespaces(xmlXPathContext* context) const {
  for (const auto& [prefix, uri] : m_namespaces.bindings) {
    xmlXPathRegisterNs(context, xml::Chars(prefix), xml::Chars(uri));
  }
}

namespace {

// Stores the raw texts a property was found with (at least one) into the record. A list takes its
// items' texts only while it has room for them: the texts after the bound are never read.
void ApplyProperty(const Property& property, const XmpPropertyTexts& raw, MetadataRecord& record) {
  if (property.special == Special::CopyrightStatus) {
    record.copyrightStatus = raw.Text(0) == "True" ? 1 : 2;
    return;
  }
  auto decode = [&](const std::string& text) {
    std::string value = DecodeUtf8(text);
    return property.lineBreaks ? NormalizeLineBreaks(value) : value;
  };
  if (property.kind == ValueKind::List) {
    std::string& target = record.xmp[property.column];
    for (std::size_t i = 0; i < raw.Count() && target.size() <= kMaxValueBytes; ++i) {
      JoinListItem(target, decode(raw.Text(i)));
    }
    return;
  }
  std::string value = decode(raw.Text(0));
  if (property.special == Special::DateCreated) {
    const std::size_t t = value.find('T');
    record.xmp[col::CreatedDate] = value.substr(0, t);
    record.xmp[col::CreatedTime] = t == std::string::npos ? std::string() : value.substr(t + 1);
    return;
  }
  if (property.special == Special::Location) record.xmp[col::Location] = value;
  record.xmp[property.column] = std::move(value);
}

// The value of the description's attribute of that name in that namespace, if it has one.
std::optional<std::string> AttributeValue(xmlNode* description, const std::string& name, const std::string& uri) {
  if (name.empty() || uri.empty()) return std::nullopt;
  xmlChar* value = xmlGetNsProp(description, xml::Chars(name), xml::Chars(uri));
  if (value == nullptr) return std::nullopt;
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

bool IsRdfRoot(const xmlNode* root) {
  return root->ns != nullptr && root->ns->href != nullptr && root->name != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(root->name), "RDF") == 0 &&
         std::strcmp(reinterpret_cast<const char*>(root->ns->href), "http://www.w3.org/1999/02/22-rdf-syntax-ns#") == 0;
}

}  // namespace

void XmpParser::ReadSchema(xmlXPathContext* context, xmlNode* node, std::size_t schema, MetadataRecord& record) const {
  for (std::size_t index = 0; index < kProperties.size(); ++index) {
    const Property& property = kProperties[index];
    if (static_cast<std::size_t>(property.node) != schema) continue;
    const XmpPropertyTexts found{Select(context, m_standardExpressions[index].get(), node), std::nullopt};
    if (!found.Empty()) ApplyProperty(property, found, record);
  }
}

XmpPropertyTexts XmpParser::RawValues(xmlXPathContext* context, std::size_t property, xmlNode* description) const {
  XmpPropertyTexts raw{Select(context, m_standardExpressions[property].get(), description), std::nullopt};
  if (raw.nodes.empty()) {
    const auto& [name, uri] = m_attributeForms[property];
    raw.attribute = AttributeValue(description, name, uri);
  }
  return raw;
}

void XmpParser::ReadEveryDescription(xmlXPathContext* context, const StandardNodes& standardNodes,
                                     const CustomNodes& customNodes, const std::vector<xmlNode*>& descriptions,
                                     MetadataRecord& record) const {
  // The node the classic rules read comes first, so every value they find stays as it is; the
  // other Descriptions only fill what it lacks.
  auto inOrder = [&](xmlNode* classic) {
    std::vector<xmlNode*> order;
    order.reserve(descriptions.size() + 1);
    if (classic != nullptr) order.push_back(classic);
    for (xmlNode* description : descriptions) {
      if (description != classic) order.push_back(description);
    }
    return order;
  };
  for (std::size_t index = 0; index < kProperties.size(); ++index) {
    for (xmlNode* description : inOrder(standardNodes[static_cast<std::size_t>(kProperties[index].node)])) {
      const XmpPropertyTexts raw = RawValues(context, index, description);
      if (raw.Empty()) continue;
      ApplyProperty(kProperties[index], raw, record);
      break;
    }
  }
  for (const CustomSlot& slot : m_customSlots) {
    for (xmlNode* description : inOrder(customNodes[slot.schema])) {
      std::vector<xmlNode*> found = Select(context, slot.expression.get(), description);
      std::optional<std::string> raw = found.empty() ? AttributeValue(description, slot.name, slot.uri)
                                                     : std::optional<std::string>(xml::TextContent(found.front()));
      if (!raw) continue;
      record.custom[slot.column] = NormalizeLineBreaks(DecodeUtf8(*raw));
      break;
    }
  }
}

std::optional<XmpParseError> XmpParser::Read(std::string_view packet, MetadataRecord& record) const {
  ErrorCollector errors;
  xml::Doc doc;
  bool doctype = false;
  {
    ScopedErrorHandler collect(&errors, ErrorCollector::Handle);
    const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> parser(xmlNewParserCtxt());
    if (parser) {
      // An XMP packet never needs a DTD, and its entities could expand without bound.
      parser->_private = &doctype;
      parser->sax->internalSubset = RefuseDoctype;
      // ISO-8859-1 keeps every byte as one character; the values are decoded as UTF-8 afterwards.
      doc.reset(xmlCtxtReadMemory(parser.get(), packet.data(),
                                  static_cast<int>(std::min<std::size_t>(packet.size(), INT32_MAX)), nullptr,
                                  "ISO-8859-1", XML_PARSE_NONET | XML_PARSE_NOBLANKS));
    }
  }
  if (doctype) {
    XmpParseError error;
    error.refusal = kDtdRefusal;
    return error;
  }
  if (!doc || errors.first) {
    XmpParseError error;
    if (errors.first) {
      error.line = errors.first->line;
      error.column = errors.first->int2;
      error.reason = Quoted(errors.message);
    } else {
      error.reason = packet.empty() ? "Document is empty" : "Document could not be parsed";
    }
    error.sourceText = Quoted(TrimSpaces(LineOf(packet, error.line > 0 ? error.line : 1)));
    return error;
  }

  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr) return std::nullopt;
  xml::XPathContext context(xmlXPathNewContext(doc.get()));
  if (!context) return std::nullopt;
  context->error = IgnoreError;
  RegisterNamespaces(context.get());
  ScopedErrorHandler quiet(nullptr, IgnoreError);

  std::vector<xmlNode*> descriptions = Select(context.get(), m_descriptions.get(), root);
  if (m_rules == Rules::Modern && descriptions.empty() && IsRdfRoot(root)) {
    descriptions = Select(context.get(), m_rootDescriptions.get(), root);
  }

  // Choose one rdf:Description per schema by the namespaces it declares, in document order.
  std::array<xmlNode*, kStandardSchemaCount> standardNodes{};
  std::array<xmlNode*, kCustomSchemaCount> customNodes{};
  for (xmlNode* description : descriptions) {
    for (const xmlNs* ns = description->nsDef; ns; ns = ns->next) {
      const std::string prefix = PrefixOf(ns);
      if (ns->prefix == nullptr) continue;
      bool standard = false;
      for (std::size_t s = 0; s < kStandardSchemaCount; ++s) {
        if (prefix == kSchemaPrefixes[s] && standardNodes[s] == nullptr) {
          standardNodes[s] = description;
          standard = true;
          break;
        }
      }
      if (standard) break;
      bool stop = false;
      for (std::size_t k = 0; k < kCustomSchemaCount; ++k) {
        const std::string& customPrefix = m_custom.schemas[k].prefix;
        if (customPrefix.empty() || prefix != customPrefix || customNodes[k] != nullptr) continue;
        customNodes[k] = description;
        // A small Description serves only the first custom schema it declares.
        if (ChildCount(description) <= 10) {
          stop = true;
          break;
        }
      }
      if (stop) break;
    }
  }

  ReadXmpCompanions(descriptions.size() > kMaxSearchedDescriptions
                        ? std::vector<xmlNode*>(descriptions.begin(), descriptions.begin() + kMaxSearchedDescriptions)
                        : descriptions,
                    record.companions);
  if (m_rules == Rules::Modern) {
    // Every property is looked for in every Description: a packet of thousands of them (a real one
    // has a handful) would cost each property as many searches.
    if (descriptions.size() > kMaxSearchedDescriptions) {
      descriptions.resize(kMaxSearchedDescriptions);
      record.problems.push_back("XMP packet of more than 1,000 Descriptions: only the first 1,000 read");
    }
    ReadEveryDescription(context.get(), standardNodes, customNodes, descriptions, record);
    return std::nullopt;
  }
  for (std::size_t s = 0; s < kStandardSchemaCount; ++s) {
    if (standardNodes[s] != nullptr) ReadSchema(context.get(), standardNodes[s], s, record);
  }

  for (const CustomSlot& slot : m_customSlots) {
    const std::vector<xmlNode*> found = Select(context.get(), slot.expression.get(), customNodes[slot.schema]);
    if (!found.empty()) record.custom[slot.column] = NormalizeLineBreaks(DecodeUtf8(xml::TextContent(found.front())));
  }
  return std::nullopt;
}

}  // namespace tessarine
