#include "metadata/XmpParser.h"

#include <gtest/gtest.h>

#include "metadata/ImageBytes.h"

namespace tessarine {
namespace {

using test::Packet;

constexpr const char* kDc = "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";
constexpr const char* kPs = "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\"";
constexpr const char* kRights = "xmlns:xapRights=\"http://ns.adobe.com/xap/1.0/rights/\"";
constexpr const char* kCore = "xmlns:Iptc4xmpCore=\"http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/\"";
constexpr const char* kXmp = "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"";
constexpr const char* kMyp = "xmlns:myp=\"http://example.com/myp/1.0/\"";

std::string Description(const std::string& declarations, const std::string& body) {
  return "<rdf:Description rdf:about=\"\" " + declarations + ">" + body + "</rdf:Description>";
}

std::string List(const std::string& property, const std::string& kind, const std::string& items) {
  return "<" + property + "><rdf:" + kind + ">" + items + "</rdf:" + kind + "></" + property + ">";
}
std::string Alt(const std::string& property, const std::string& items) { return List(property, "Alt", items); }
std::string Li(const std::string& text, const std::string& lang = "") {
  return lang.empty() ? "<rdf:li>" + text + "</rdf:li>" : "<rdf:li xml:lang=\"" + lang + "\">" + text + "</rdf:li>";
}

MetadataRecord ReadWith(const XmpParser& parser, const std::string& packet) {
  MetadataRecord record;
  auto error = parser.Read(packet, record);
  EXPECT_FALSE(error) << (error ? ParseErrorMessage(*error) : "");
  return record;
}

// The columns of the tables below: an XMP column, the copyright status, or custom column n.
constexpr std::size_t kCopyrightStatus = 1000;
constexpr std::size_t Custom(std::size_t n) { return kCopyrightStatus + n; }
std::string Value(const MetadataRecord& r, std::size_t column) {
  if (column == kCopyrightStatus) return std::to_string(r.copyrightStatus);
  return column > kCopyrightStatus ? r.custom[column - kCopyrightStatus - 1] : r.xmp[column];
}

// Custom definitions: each property goes to the next free slot of its schema.
struct CustomProperty {
  std::size_t schema;
  const char* prefix;
  const char* ns;
  const char* name;
  const char* column;
};
CustomXmpDefinition Definition(std::initializer_list<CustomProperty> properties) {
  CustomXmpDefinition definition;
  std::array<std::size_t, kCustomSchemaCount> used{};
  for (const CustomProperty& p : properties) {
    definition.schemas[p.schema].prefix = p.prefix;
    definition.schemas[p.schema].ns = p.ns;
    definition.schemas[p.schema].properties[used[p.schema]++] = {p.name, p.column};
  }
  return definition;
}
constexpr const char* kMypNs = "http://example.com/myp/1.0/";
CustomXmpDefinition Myp(const char* name = "Rating", const char* column = "05") {
  return Definition({{0, "myp", kMypNs, name, column}});
}

// The classic rules, property by property; each schema of the first packet in a Description of its own.
TEST(XmpParser, ReadsAValueByTheRulesOfItsPropertyAndSchema) {
  const std::string separate = Packet(
      Description(kDc, Alt("dc:title", Li("Title", "x-default")) + List("dc:creator", "Seq", Li("Ann") + Li("Bob")) +
                           Alt("dc:description", Li("Line1\nLine2", "x-default")) +
                           List("dc:subject", "Bag", Li("sea") + Li("sun"))) +
      Description(kPs, "<photoshop:City>Paris</photoshop:City>") +
      Description(kRights, Alt("xapRights:UsageTerms", Li("terms", "x-default"))) +
      Description(kCore, "<Iptc4xmpCore:CreatorContactInfo rdf:parseType=\"Resource\">"
                         "<Iptc4xmpCore:CiAdrCity>Lyon</Iptc4xmpCore:CiAdrCity></Iptc4xmpCore:CreatorContactInfo>"
                         "<Iptc4xmpCore:Location>Old Town</Iptc4xmpCore:Location>"));
  auto date = [](const std::string& text) {
    return Packet(Description(kPs, "<photoshop:DateCreated>" + text + "</photoshop:DateCreated>"));
  };
  auto marked = [](const std::string& body) { return Packet(Description(kRights, body)); };
  const std::string firstOnly = Packet(Description(std::string(kXmp) + " " + kDc + " " + kPs,
                                                   Alt("dc:title", Li("T")) + "<photoshop:City>Paris</photoshop:City>"));
  const struct Case {
    const char* rule;
    std::string packet;
    std::size_t column;
    std::string expected;
  } cases[] = {
      {"Alt", separate, col::ObjectName, "Title"},
      {"Seq joined", separate, col::Byline, "Ann; Bob"},
      {"line breaks as CR LF", separate, col::Caption, "Line1\r\nLine2"},
      {"Bag joined", separate, col::Keywords, "sea; sun"},
      {"simple", separate, col::City, "Paris"},
      {"rights", separate, col::XMPUsageTerms, "terms"},
      {"structure", separate, col::CoreCiAdrCity, "Lyon"},
      {"Iptc4xmpCore:Location feeds both location columns", separate, col::CoreLocation, "Old Town"},
      {"Iptc4xmpCore:Location feeds both location columns", separate, col::Location, "Old Town"},
      {"a Description serves only the first schema it declares", firstOnly, col::ObjectName, "T"},
      {"a Description serves only the first schema it declares", firstOnly, col::City, ""},
      {"a schema is known by its standard prefix only",
       Packet(Description("xmlns:dce=\"http://purl.org/dc/elements/1.1/\"", Alt("dce:title", Li("T")))), col::ObjectName,
       ""},
      {"the first Alt item whatever its language",
       Packet(Description(kDc, Alt("dc:title", Li("fr", "fr-FR") + Li("en", "x-default")))), col::ObjectName, "fr"},
      {"list items joined, an empty first item skipped",
       Packet(Description(kDc, List("dc:subject", "Bag", Li("") + Li("b") + Li("")))), col::Keywords, "b; "},
      {"a date without T", date("2006-05-12"), col::CreatedDate, "2006-05-12"},
      {"a date without T", date("2006-05-12"), col::CreatedTime, ""},
      {"a date split at the first T", date("2006-05-12T14:30:05+02:00"), col::CreatedDate, "2006-05-12"},
      {"a date split at the first T", date("2006-05-12T14:30:05+02:00"), col::CreatedTime, "14:30:05+02:00"},
      {"Marked True", marked("<xapRights:Marked>True</xapRights:Marked>"), kCopyrightStatus, "1"},
      {"Marked any other text", marked("<xapRights:Marked>False</xapRights:Marked>"), kCopyrightStatus, "2"},
      {"Marked any other text", marked("<xapRights:Marked>true</xapRights:Marked>"), kCopyrightStatus, "2"},
      {"no Marked", marked("<xapRights:WebStatement>w</xapRights:WebStatement>"), kCopyrightStatus, "0"},
      {"properties written as attributes are ignored",
       Packet("<rdf:Description rdf:about=\"\" " + std::string(kPs) + " photoshop:City=\"Paris\"/>"), col::City, ""},
      {"UTF-8 decoded, characters outside the basic plane kept",
       Packet(Description(kDc, Alt("dc:title", Li("caf\xC3\xA9 \xF0\x9F\x98\x80 x\xE9y")))), col::ObjectName,
       "caf\xC3\xA9 \xF0\x9F\x98\x80 xy"},
      {"a namespace name that is no valid URI is no error",
       Packet(Description(std::string(kDc) + " xmlns:my=\"my namespace\"", Alt("dc:title", Li("T")))), col::ObjectName,
       "T"},
      {"the wrapper above rdf:RDF is needed",
       "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" +
           Description(kDc, Alt("dc:title", Li("T"))) + "</rdf:RDF>",
       col::ObjectName, ""},
  };
  const XmpParser parser(CustomXmpDefinition{});
  for (const Case& c : cases) EXPECT_EQ(Value(ReadWith(parser, c.packet), c.column), c.expected) << c.rule;
}

// No DTD is ever read, so no entity is ever expanded: a packet declaring a document type is refused
// whole, whatever its subset holds. Any other error gives the line, the position, at most 200
// characters of the source and the reason; an entity without a DTD is one.
TEST(XmpParser, RefusesEveryDocumentTypeAndReportsEveryOtherErrorWithItsPlace) {
  const std::string title = Description(kDc, Alt("dc:title", Li("&big;&big;")));
  const struct Case {
    std::string packet;
    bool refused;
  } cases[] = {
      {"<!DOCTYPE x:xmpmeta [<!ENTITY big \"" + std::string(10'000, 'a') + "\">]>" + Packet(title), true},
      {"<!DOCTYPE x:xmpmeta SYSTEM \"file:///etc/passwd\">" + Packet(title), true},
      {Packet(title), false},
      {Packet(Description(kDc, "<dc:title>unclosed")), false},
      {Packet(Description(kDc, std::string(100'000, 'x') + "<")), false},
      {"", false},
      {"<x:xmpmeta/>", false},  // a prefix the packet never declares
  };
  for (const Case& c : cases) {
    MetadataRecord record;
    const auto error = XmpParser(CustomXmpDefinition{}).Read(c.packet, record);
    ASSERT_TRUE(error) << c.packet.substr(0, 60);
    const std::string message = ParseErrorMessage(*error);
    EXPECT_EQ(message == kDtdRefusal, c.refused) << message;
    EXPECT_EQ(record.xmp[col::ObjectName], "");
    if (c.refused || c.packet.empty()) continue;
    EXPECT_GT(error->line, 0) << message;
    EXPECT_FALSE(error->reason.empty());
    EXPECT_LE(error->sourceText.size(), 200u + 3);
    EXPECT_EQ(message.rfind("Parsing error:Line: " + std::to_string(error->line) + ", position: ", 0), 0u);
    EXPECT_LT(message.size(), 700u);
  }
}

std::string TwoSchemaPacket(int children) {
  std::string body = "<myp:A>a</myp:A><two:B>b</two:B>";
  for (int i = 2; i < children; ++i) body += "<myp:Pad>p</myp:Pad>";
  return Packet(Description(std::string(kMyp) + " xmlns:two=\"http://example.com/two/\"", body));
}

TEST(CustomXmp, ReadsEachDeclaredPropertyByTheRulesOfItsSlot) {
  const std::string rating = Packet(Description(kMyp, "<myp:Rating>3</myp:Rating>"));
  const CustomXmpDefinition two =
      Definition({{0, "myp", kMypNs, "A", "01"}, {1, "two", "http://example.com/two/", "B", "02"}});
  const struct Case {
    const char* rule;
    CustomXmpDefinition definition;
    std::string packet;
    std::size_t column;
    std::string expected;
  } cases[] = {
      {"a declared property fills its column", Myp(), rating, 5, "3"},
      {"column 100, line breaks as CR LF", Myp("Rating", "100"),
       Packet(Description(kMyp, "<myp:Rating> 3\n </myp:Rating>")), 100, "3\r\n"},
      {"a Description a standard schema takes gives no custom node", Myp(),
       Packet(Description(std::string(kDc) + " " + kMyp, "<myp:Rating>3</myp:Rating>")), 5, ""},
      {"a Description of more than 10 children serves every custom schema", two, TwoSchemaPacket(11), 2, "b"},
      {"one of 10 children or fewer serves the first only", two, TwoSchemaPacket(10), 1, "a"},
      {"one of 10 children or fewer serves the first only", two, TwoSchemaPacket(10), 2, ""},
      {"the later slot wins when two name the same column",
       Definition({{0, "myp", kMypNs, "First", "07"},
                   {0, "myp", kMypNs, "Second", "07"},
                   {0, "myp", kMypNs, "Missing", "07"}}),
       Packet(Description(kMyp, "<myp:First>1</myp:First><myp:Second>2</myp:Second>")), 7, "2"},
      {"a prefix that begins a standard one is not declared",
       Definition({{0, "ph", "http://example.com/ph/", "Rating", "01"}}),
       Packet(Description("xmlns:ph=\"http://example.com/ph/\"", "<ph:Rating>4</ph:Rating>")), 1, ""},
      {"a schema without URI is not declared", Definition({{0, "myp", "", "Rating", "05"}}), rating, 5, ""},
      {"a structured property gives the texts of its items", Myp("Tags"),
       Packet(Description(kMyp, List("myp:Tags", "Bag", Li("a") + Li("b")))), 5, "ab"},
      {"a name that is no plain name selects nothing", Myp("Rating | //*"), rating, 5, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadWith(XmpParser(c.definition), c.packet).custom[c.column - 1], c.expected) << c.rule;
  }

  // An undeclared prefix neither fails nor stops the read of the other schemas.
  const XmpParser parser(Definition({{0, "ph", "http://example.com/ph/", "Rating", "01"}}));
  EXPECT_EQ(parser.NamespaceListText().find("xmlns:ph='"), std::string::npos);
  EXPECT_EQ(ReadWith(parser, Packet(Description(kDc, Alt("dc:title", Li("T"))))).xmp[col::ObjectName], "T");
}

// The modern rules search the first 1,000 Descriptions only: each property is looked for in each.
TEST(XmpModernRules, SearchesTheFirstThousandDescriptionsAndSaysSo) {
  for (const std::size_t before : {std::size_t{999}, std::size_t{1000}}) {
    std::string body;
    for (std::size_t i = 0; i < before; ++i) body += "<rdf:Description rdf:about=\"\"/>";
    // Another prefix, so the classic choice of the photoshop Description does not take it first.
    const std::string city = Description("xmlns:ps=\"http://ns.adobe.com/photoshop/1.0/\"", "<ps:City>Oslo</ps:City>");
    const XmpParser modernRules(CustomXmpDefinition{}, XmpParser::Rules::Modern);
    const MetadataRecord modern = ReadWith(modernRules, Packet(body + city));
    EXPECT_EQ(modern.xmp[col::City], before < 1000 ? "Oslo" : "") << before;
    EXPECT_EQ(modern.problems.size(), before < 1000 ? 0u : 1u) << before;
  }
}

// The modern rules read what the classic ones miss (their misses are the classic table's); what they
// add fills only the columns the classic rules left empty (RecordAssembly, held by the fuzzer).
TEST(XmpModernRules, ReadWhatTheClassicRulesMiss) {
  const std::string together = Packet(Description(
      std::string(kXmp) + " " + kDc + " " + kPs + " " + kRights + " " + kMyp,
      Alt("dc:title", Li("Harbour")) + "<photoshop:City>Nice</photoshop:City>" +
          "<photoshop:DateCreated>2024-05-01T10:00:00</photoshop:DateCreated><xapRights:Marked>True</xapRights:Marked>"
          "<myp:Rating>4</myp:Rating>"));
  const std::string otherPrefixes = Packet(
      Description("xmlns:xmpRights=\"http://ns.adobe.com/xap/1.0/rights/\"",
                  "<xmpRights:Marked>False</xmpRights:Marked>") +
      Description("xmlns:dce=\"http://purl.org/dc/elements/1.1/\"", List("dce:subject", "Bag", Li("sea") + Li("sun"))) +
      Description("xmlns:mine=\"http://example.com/myp/1.0/\"", "<mine:Rating>2</mine:Rating>"));
  const std::string attributes = Packet(Description(
      std::string(kPs) + " " + kMyp + " photoshop:City=\"Nice\" photoshop:Headline=\"A&amp;B\" myp:Rating=\"5\"", ""));
  const std::string bare = "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" +
                           Description(kDc, Alt("dc:title", Li("Bare"))) + "</rdf:RDF>";
  // The classic dc node is the second Description (the first declares photoshop first).
  const std::string twoTitles = Packet(
      Description(std::string(kPs) + " " + kDc, Alt("dc:title", Li("First")) + Alt("dc:rights", Li("(c) first"))) +
      Description(kDc, Alt("dc:title", Li("Second"))));
  const struct Case {
    const char* rule;
    const std::string& packet;
    std::size_t column;
    std::string expected;
  } cases[] = {
      {"one Description declaring every schema", together, col::City, "Nice"},
      {"one Description declaring every schema", together, col::CreatedDate, "2024-05-01"},
      {"one Description declaring every schema", together, kCopyrightStatus, "1"},
      {"one Description declaring every schema", together, Custom(5), "4"},
      {"schemas known by namespace", otherPrefixes, kCopyrightStatus, "2"},
      {"schemas known by namespace", otherPrefixes, col::Keywords, "sea; sun"},
      {"schemas known by namespace", otherPrefixes, Custom(5), "2"},
      {"simple properties as attributes", attributes, col::City, "Nice"},
      {"simple properties as attributes", attributes, col::Headline, "A&B"},
      {"simple properties as attributes", attributes, Custom(5), "5"},
      {"a bare rdf:RDF root", bare, col::ObjectName, "Bare"},
      {"the classic rules' node comes first", twoTitles, col::ObjectName, "Second"},
      {"the other nodes fill what it lacks", twoTitles, col::Copyright, "(c) first"},
  };
  const XmpParser modernRules(Myp(), XmpParser::Rules::Modern);
  for (const Case& c : cases) EXPECT_EQ(Value(ReadWith(modernRules, c.packet), c.column), c.expected) << c.rule;
}

// The companion rows' texts in the forms writers use besides exiftool's: a simple property as an
// attribute, a structure as an rdf:Description of its own or with its fields as attributes, a
// language alternative whose default is not first; each from the first Description that holds it,
// under either rule set.
TEST(XmpCompanions, ReadEveryFormAPropertyMayTake) {
  const std::string ext = "xmlns:Iptc4xmpExt=\"http://iptc.org/std/Iptc4xmpExt/2008-02-29/\"";
  const std::string plus = "xmlns:plus=\"http://ns.useplus.org/ldf/xmp/1.0/\"";
  const std::string lr = "xmlns:lr=\"http://ns.adobe.com/lightroom/1.0/\"";
  struct Case {
    std::string body;
    std::size_t fact;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"<rdf:Description rdf:about=\"\" " + ext + " Iptc4xmpExt:DigitalSourceType=\" composite \"/>",
       fact::DigitalSourceType, "composite"},
      {Description(ext, List("Iptc4xmpExt:LocationShown", "Bag",
                             "<rdf:li><rdf:Description Iptc4xmpExt:City=\"Oslo\"/></rdf:li>"
                             "<rdf:li><rdf:Description><Iptc4xmpExt:City>Bergen</Iptc4xmpExt:City>"
                             "</rdf:Description></rdf:li><rdf:li Iptc4xmpExt:City=\"Molde\"/>")),
       fact::ShownCity, "Oslo; Bergen; Molde"},
      {Description(ext, "<Iptc4xmpExt:LocationCreated rdf:parseType=\"Resource\"><Iptc4xmpExt:CountryName>Norway"
                        "</Iptc4xmpExt:CountryName></Iptc4xmpExt:LocationCreated>"),
       fact::CreatedCountry, "Norway"},
      {Description(ext, Alt("Iptc4xmpExt:Event", Li("Dag", "no") + Li("Day", "x-default"))), fact::Event, "Day"},
      {Description(ext, List("Iptc4xmpExt:PersonInImage", "Bag", Li("") + Li(" Ann "))) +
           Description(ext, List("Iptc4xmpExt:PersonInImage", "Bag", Li("Bo"))),
       fact::PersonShown, "Ann"},
      {Description(plus, List("plus:Licensor", "Seq",
                              "<rdf:li rdf:parseType=\"Resource\"><plus:LicensorName>A</plus:LicensorName></rdf:li>"
                              "<rdf:li plus:LicensorName=\"B\"/>")),
       fact::Licensor, "A; B"},
  };
  for (const XmpParser::Rules rules : {XmpParser::Rules::Classic, XmpParser::Rules::Modern}) {
    const XmpParser parser(CustomXmpDefinition{}, rules);
    for (const Case& c : cases) {
      const MetadataRecord record = ReadWith(parser, Packet(c.body));
      EXPECT_EQ(record.companions.extension[c.fact], c.expected) << c.body;
    }
    const MetadataRecord keywords = ReadWith(
        parser, Packet(Description(lr, List("lr:hierarchicalSubject", "Bag", Li("A|B") + Li("C"))) +
                       Description(kDc, List("dc:subject", "Bag", Li("one") + Li("two")))));
    EXPECT_EQ(keywords.companions.hierarchy, (std::vector<std::string>{"A|B", "C"}));
    EXPECT_EQ(keywords.companions.subjects, (std::vector<std::string>{"one", "two"}));
  }
}

}  // namespace
}  // namespace tessarine
