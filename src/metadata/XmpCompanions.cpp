#include "metadata/XmpCompanions.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "core/TextDecoding.h"
#include "core/ValueBound.h"

namespace tessarine {
namespace {

constexpr const char* kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kDc = "http://purl.org/dc/elements/1.1/";
constexpr const char* kLightroom = "http://ns.adobe.com/lightroom/1.0/";
constexpr const char* kIptcExtension = "http://iptc.org/std/Iptc4xmpExt/2008-02-29/";
constexpr const char* kPlus = "http://ns.useplus.org/ldf/xmp/1.0/";

bool Named(const xmlNode* node, const char* uri, const char* name) {
  return node->type == XML_ELEMENT_NODE && node->ns != nullptr && node->ns->href != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->ns->href), uri) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// A value as the companion rows keep it: decoded, without the blanks around it, within the bound.
std::string Clean(std::string parserText) {
  std::string text = DecodeUtf8(parserText);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  CutToBound(text);
  return text;
}

std::optional<std::string> AttributeOf(const xmlNode* node, const char* uri, const char* name) {
  xmlChar* value = xmlGetNsProp(node, reinterpret_cast<const xmlChar*>(name), reinterpret_cast<const xmlChar*>(uri));
  if (value == nullptr) return std::nullopt;
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

const xmlNode* ChildNamed(const xmlNode* node, const char* uri, const char* name) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (Named(child, uri, name)) return child;
  }
  return nullptr;
}

// A property as one Description holds it: an element, or (a simple one) an attribute.
struct Property {
  const xmlNode* element = nullptr;
  std::optional<std::string> attribute;
};

Property FirstHolding(const std::vector<xmlNode*>& descriptions, const char* uri, const char* name) {
  for (const xmlNode* description : descriptions) {
    if (const xmlNode* element = ChildNamed(description, uri, name)) return {element, std::nullopt};
    if (std::optional<std::string> attribute = AttributeOf(description, uri, name)) return {nullptr, attribute};
  }
  return {};
}

// The items of a property: the rdf:li of its Bag, Seq or Alt, else the property itself.
std::vector<const xmlNode*> ItemsOf(const xmlNode* property) {
  for (const xmlNode* child = property->children; child != nullptr; child = child->next) {
    if (!Named(child, kRdf, "Bag") && !Named(child, kRdf, "Seq") && !Named(child, kRdf, "Alt")) continue;
    std::vector<const xmlNode*> items;
    for (const xmlNode* li = child->children; li != nullptr && items.size() < kMaxCompanionItems; li = li->next) {
      if (Named(li, kRdf, "li")) items.push_back(li);
    }
    return items;
  }
  return {property};
}

// The texts of a simple or list property, each item once it is not blank.
std::vector<std::string> Texts(const Property& property) {
  std::vector<std::string> texts;
  if (property.attribute) {
    if (std::string text = Clean(*property.attribute); !text.empty()) texts.push_back(std::move(text));
    return texts;
  }
  if (property.element == nullptr) return texts;
  for (const xmlNode* item : ItemsOf(property.element)) {
    if (std::string text = Clean(xml::TextContent(item)); !text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

// A language alternative's text: its default language's, else its first.
std::string AlternativeText(const Property& property) {
  if (property.attribute || property.element == nullptr) {
    const std::vector<std::string> texts = Texts(property);
    return texts.empty() ? std::string() : texts.front();
  }
  const std::vector<const xmlNode*> items = ItemsOf(property.element);
  for (const xmlNode* item : items) {
    xmlChar* language = xmlNodeGetLang(item);
    const bool isDefault = language != nullptr && std::strcmp(reinterpret_cast<const char*>(language), "x-default") == 0;
    xmlFree(language);
    if (isDefault) return Clean(xml::TextContent(item));
  }
  return items.empty() ? std::string() : Clean(xml::TextContent(items.front()));
}

// A field of a structure: an element or attribute of the item, or of the rdf:Description it holds.
std::string FieldOf(const xmlNode* item, const char* uri, const char* name) {
  const xmlNode* holders[2] = {item, ChildNamed(item, kRdf, "Description")};
  for (const xmlNode* holder : holders) {
    if (holder == nullptr) continue;
    if (const xmlNode* element = ChildNamed(holder, uri, name)) return Clean(xml::TextContent(element));
    if (std::optional<std::string> attribute = AttributeOf(holder, uri, name)) return Clean(*attribute);
  }
  return {};
}

void Join(std::string& into, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) JoinListItem(into, text);
}

// Each field of the structures a property holds (a bag of locations, a sequence of licensors),
// joined over the structures that give it.
void ReadStructures(const Property& property, const char* uri,
                    std::initializer_list<std::pair<const char*, std::size_t>> fields, FactValues& facts) {
  if (property.element == nullptr) return;
  for (const xmlNode* item : ItemsOf(property.element)) {
    for (const auto& [name, fact] : fields) {
      if (std::string text = FieldOf(item, uri, name); !text.empty()) JoinListItem(facts[fact], text);
    }
  }
}

void ReadLocations(const std::vector<xmlNode*>& descriptions, const char* name, std::size_t firstFact,
                   FactValues& facts) {
  ReadStructures(FirstHolding(descriptions, kIptcExtension, name), kIptcExtension,
                 {{"Sublocation", firstFact},
                  {"City", firstFact + 1},
                  {"ProvinceState", firstFact + 2},
                  {"CountryName", firstFact + 3}},
                 facts);
}

}  // namespace

void ReadXmpCompanions(const std::vector<xmlNode*>& descriptions, CompanionTexts& into) {
  if (into.subjects.empty()) into.subjects = Texts(FirstHolding(descriptions, kDc, "subject"));
  if (into.hierarchy.empty()) into.hierarchy = Texts(FirstHolding(descriptions, kLightroom, "hierarchicalSubject"));

  FactValues facts;
  ReadLocations(descriptions, "LocationCreated", fact::CreatedSublocation, facts);
  ReadLocations(descriptions, "LocationShown", fact::ShownSublocation, facts);
  Join(facts[fact::PersonShown], Texts(FirstHolding(descriptions, kIptcExtension, "PersonInImage")));
  Join(facts[fact::OrganisationShown], Texts(FirstHolding(descriptions, kIptcExtension, "OrganisationInImageName")));
  facts[fact::Event] = AlternativeText(FirstHolding(descriptions, kIptcExtension, "Event"));
  ReadStructures(FirstHolding(descriptions, kPlus, "Licensor"), kPlus, {{"LicensorName", fact::Licensor}}, facts);
  Join(facts[fact::ModelReleaseStatus], Texts(FirstHolding(descriptions, kPlus, "ModelReleaseStatus")));
  Join(facts[fact::DigitalSourceType], Texts(FirstHolding(descriptions, kIptcExtension, "DigitalSourceType")));
  // A packet read after another (a sidecar, an extension packet) only fills what the first left empty.
  for (std::size_t f = 0; f < kFactCount; ++f) {
    if (into.extension[f].empty()) into.extension[f] = std::move(facts[f]);
  }
}

}  // namespace tessarine
