#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessarine {

inline constexpr int kCustomSchemaCount = 10;
inline constexpr int kCustomPropertyCount = 10;

struct CustomXmpProperty {
  std::string xmpFieldName;  // local name of the property, without prefix
  std::string dbFieldName;   // "01".."100": the digits after "XMPCustom", or empty
};

struct CustomXmpSchema {
  std::string description;
  std::string ns;      // namespace URI
  std::string prefix;
  std::array<CustomXmpProperty, kCustomPropertyCount> properties;
};

// Up to ten user-defined XMP schemas with ten properties each.
struct CustomXmpDefinition {
  std::array<CustomXmpSchema, kCustomSchemaCount> schemas;
};

// The column a stored number names: "05" gives 5, "100" gives 100; anything but a number from 1
// to 100 gives 0 (no column).
std::size_t CustomColumnNumber(std::string_view stored);

// An XML name made of letters, digits and . - _ (or any non-ASCII byte), not starting with a digit,
// "." or "-": nothing an XPath expression could read as an operator.
bool IsPlainXmpName(std::string_view name);

// Whether the scan collects the property: it has a plain name and names a column.
inline bool IsCollectable(const CustomXmpProperty& property) {
  return IsPlainXmpName(property.xmpFieldName) && CustomColumnNumber(property.dbFieldName) != 0;
}

}  // namespace tessarine
