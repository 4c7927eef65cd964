#include "workflows/xmpcustom/CustomXmpSummary.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(CustomXmpSummary, CountsNamedPropertiesAndDistinctNamespacesExactly) {
  CustomXmpDefinition definition;
  EXPECT_EQ(CustomXmpSummary(definition), "No custom fields defined");
  // A column without a property name is no field, whatever its schema holds.
  definition.schemas[0] = {"Studio", "http://ns.example.com/a/", "s", {}};
  definition.schemas[0].properties[0].dbFieldName = "01";
  EXPECT_EQ(CustomXmpSummary(definition), "No custom fields defined");

  definition.schemas[0].properties[0].xmpFieldName = "one";
  definition.schemas[0].properties[9].xmpFieldName = "two";
  definition.schemas[5].ns = "http://ns.example.com/a/";  // shared: counted once
  definition.schemas[5].properties[3].xmpFieldName = "three";
  definition.schemas[9].ns = "http://ns.example.com/A/";  // another case: another namespace
  EXPECT_EQ(CustomXmpSummary(definition), "Custom fields defined: 3\nXMP Schemas defined: 2");
}

TEST(CustomXmpSummary, PropertiesWithoutNamespaceCountInSchemasWithoutDescription) {
  CustomXmpDefinition definition;
  for (int j = 0; j < 3; ++j) definition.schemas[7].properties[j].xmpFieldName = "p" + std::to_string(j);
  EXPECT_EQ(CustomXmpSummary(definition), "Custom fields defined: 3\nXMP Schemas defined: 0");
}

}  // namespace
}  // namespace tessarine
