#pragma once

#include <array>
#include <string>

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

}  // namespace tessarine
