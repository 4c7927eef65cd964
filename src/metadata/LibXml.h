#pragma once
// Move-only owners of libxml2 objects.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>
#include <string>

namespace tessarine::xml {

struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XPathContextDeleter {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct XPathExpressionDeleter {
  void operator()(xmlXPathCompExpr* expression) const { xmlXPathFreeCompExpr(expression); }
};

using Doc = std::unique_ptr<xmlDoc, DocDeleter>;
using XPathContext = std::unique_ptr<xmlXPathContext, XPathContextDeleter>;
using XPathObject = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;
using XPathExpression = std::unique_ptr<xmlXPathCompExpr, XPathExpressionDeleter>;

inline const xmlChar* Chars(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

// The text content of a node and its descendants, in UTF-8.
inline std::string TextContent(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  if (content == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return text;
}

}  // namespace tessarine::xml
