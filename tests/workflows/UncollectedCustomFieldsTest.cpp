// The custom fields named in the warning are exactly those the parser passes over: a packet
// holding every field fills the columns of the others and leaves the named ones out.

#include "workflows/xmpcustom/UncollectedCustomFields.h"

#include <gtest/gtest.h>

#include "metadata/XmpParser.h"
#include "support/RecordingUserPort.h"

namespace tessarine {
namespace {

constexpr const char* kNs = "http://ns.example.com/studio/1.0/";

CustomXmpDefinition Studio() {
  CustomXmpDefinition definition;
  definition.schemas[0] = {"Studio", kNs, "studio", {}};
  auto& slots = definition.schemas[0].properties;
  slots[0] = {"Shoot", "01"};
  slots[1] = {"ClientName", "e"};      // typed "ClientName" into the column box of an older editor
  slots[2] = {"Agency", "101"};        // past the last column
  slots[3] = {"Budget", ""};           // no column at all
  slots[4] = {"1stAssistant", "04"};   // no XPath step can start with a digit
  slots[5] = {"Desk", "100"};
  slots[6] = {"", "07"};               // a column without a name: nothing to collect, nothing to say
  // A schema without a description is a draft, not read into warnings.
  definition.schemas[1] = {"", kNs, "studio", {}};
  definition.schemas[1].properties[0] = {"Draft", "x"};
  return definition;
}

TEST(UncollectedCustomFields, NameEveryNamedFieldTheParserPassesOverAndNoOther) {
  const CustomXmpDefinition definition = Studio();
  const std::vector<std::string> lines = UncollectedCustomFields(definition);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "Custom XMP field 'ClientName' (schema #1, field #2): the stored column 'e' is not one of 01 to 100 "
            "(XMPCustom01 to XMPCustom100)");
  EXPECT_NE(lines[1].find("'Agency' (schema #1, field #3): the stored column '101'"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("'Budget' (schema #1, field #4): no database column"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("'1stAssistant' (schema #1, field #5): the name"), std::string::npos) << lines[3];

  // The parser agrees: of a packet with all six values, only the two sound fields arrive.
  std::string body;
  for (const char* name : {"Shoot", "ClientName", "Agency", "Budget", "Desk"}) {
    body += std::string("<studio:") + name + ">" + name + "-value</studio:" + name + ">";
  }
  const std::string packet = std::string("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                                         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
                                         "<rdf:Description rdf:about=\"\" xmlns:studio=\"") +
                             kNs + "\">" + body + "</rdf:Description></rdf:RDF></x:xmpmeta>";
  MetadataRecord record;
  ASSERT_FALSE(XmpParser(definition).Read(packet, record));
  std::vector<std::string> filled;
  for (std::size_t c = 0; c < record.custom.size(); ++c) {
    if (!record.custom[c].empty()) filled.push_back(std::to_string(c + 1) + "=" + record.custom[c]);
  }
  EXPECT_EQ(filled, (std::vector<std::string>{"1=Shoot-value", "100=Desk-value"}));
}

TEST(UncollectedCustomFields, AreShownInOneMessageAndASoundDefinitionShowsNone) {
  test::RecordingUserPort port;
  CustomXmpDefinition sound;
  sound.schemas[0] = {"Studio", kNs, "studio", {}};
  sound.schemas[0].properties[0] = {"Shoot", "01"};
  WarnOfUncollectedCustomFields(port, sound);
  EXPECT_TRUE(port.messages.empty());

  WarnOfUncollectedCustomFields(port, Studio());
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_NE(port.messages[0].text.find("'ClientName'"), std::string::npos);
  EXPECT_NE(port.messages[0].text.find("'1stAssistant'"), std::string::npos);
}

}  // namespace
}  // namespace tessarine
