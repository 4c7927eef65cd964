#include "metadata/XmpParser.h"

#include <gtest/gtest.h>

#include "core/ValueBound.h"
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

std::string Alt(const std::string& property, const std::string& items) {
  return "<" + property + "><rdf:Alt>" + items + "</rdf:Alt></" + property + ">";
}
std::string List(const std::string& property, const std::string& kind, const std::string& items) {
  return "<" + property + "><rdf:" + kind + ">" + items + "</rdf:" + kind + "></" + property + ">";
}
std::string Li(const std::string& text, const std::string& lang = "") {
  return lang.empty() ? "<rdf:li>" + text + "</rdf:li>" : "<rdf:li xml:lang=\"" + lang + "\">" + text + "</rdf:li>";
}

MetadataRecord ReadWith(const XmpParser& parser, const std::string& packet) {
  MetadataRecord record;
  auto error = parser.Read(packet, record);
  EXPECT_FALSE(error) << (error ? ParseErrorMessage(*error) : "");
  return record;
}

MetadataRecord Read(const std::string& packet) { return ReadWith(XmpParser(CustomXmpDefinition{}), packet); }

// One property of each shape (simple, Alt, Seq, Bag, structure), each schema in a Description of its own.
TEST(XmpParser, ReadsEachKindOfPropertyFromSeparateDescriptions) {
  const std::string packet = Packet(
      Description(kDc, Alt("dc:title", Li("Title", "x-default")) + List("dc:creator", "Seq", Li("Ann") + Li("Bob")) +
                           Alt("dc:description", Li("Line1\nLine2", "x-default")) +
                           List("dc:subject", "Bag", Li("sea") + Li("sun"))) +
      Description(kPs, "<photoshop:City>Paris</photoshop:City>") +
      Description(kRights, Alt("xapRights:UsageTerms", Li("terms", "x-default"))) +
      Description(kCore, "<Iptc4xmpCore:CreatorContactInfo rdf:parseType=\"Resource\">"
                         "<Iptc4xmpCore:CiAdrCity>Lyon</Iptc4xmpCore:CiAdrCity>"
                         "</Iptc4xmpCore:CreatorContactInfo>"
                         "<Iptc4xmpCore:Location>Old Town</Iptc4xmpCore:Location>"));
  const MetadataRecord r = Read(packet);
  EXPECT_EQ(r.xmp[col::ObjectName], "Title");
  EXPECT_EQ(r.xmp[col::Byline], "Ann; Bob");
  EXPECT_EQ(r.xmp[col::Caption], "Line1\r\nLine2");
  EXPECT_EQ(r.xmp[col::Keywords], "sea; sun");
  EXPECT_EQ(r.xmp[col::City], "Paris");
  EXPECT_EQ(r.xmp[col::XMPUsageTerms], "terms");
  EXPECT_EQ(r.xmp[col::CoreCiAdrCity], "Lyon");
  // Iptc4xmpCore:Location feeds both location columns.
  EXPECT_EQ(r.xmp[col::CoreLocation], "Old Town");
  EXPECT_EQ(r.xmp[col::Location], "Old Town");
}

TEST(XmpParser, ReadsAValueByTheRulesOfItsPropertyAndSchema) {
  const std::string title = Alt("dc:title", Li("T"));
  auto date = [](const std::string& text) {
    return Packet(Description(kPs, "<photoshop:DateCreated>" + text + "</photoshop:DateCreated>"));
  };
  const std::string firstOnly = Packet(Description(std::string(kXmp) + " " + kDc + " " + kPs,
                                                   title + "<photoshop:City>Paris</photoshop:City>"));
  const struct Case { const char* rule; std::string packet; std::size_t column; std::string expected; } cases[] = {
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
      {"properties written as attributes are ignored",
       Packet("<rdf:Description rdf:about=\"\" " + std::string(kPs) + " photoshop:City=\"Paris\"/>"), col::City, ""},
      {"UTF-8 decoded, characters outside the basic plane kept",
       Packet(Description(kDc, Alt("dc:title", Li("caf\xC3\xA9 \xF0\x9F\x98\x80 x\xE9y")))), col::ObjectName,
       "caf\xC3\xA9 \xF0\x9F\x98\x80 xy"},
      {"the wrapper above rdf:RDF is needed",
       "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" + Description(kDc, title) + "</rdf:RDF>",
       col::ObjectName, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.packet).xmp[c.column], c.expected) << c.rule;
}

TEST(XmpParser, SetsTheCopyrightStatusFromTheExactTextOfMarked) {
  auto status = [](const std::string& body) { return Read(Packet(Description(kRights, body))).copyrightStatus; };
  EXPECT_EQ(status("<xapRights:Marked>True</xapRights:Marked>"), 1);
  EXPECT_EQ(status("<xapRights:Marked>False</xapRights:Marked>"), 2);
  EXPECT_EQ(status("<xapRights:Marked>true</xapRights:Marked>"), 2);
  EXPECT_EQ(status("<xapRights:WebStatement>w</xapRights:WebStatement>"), 0);
}

TEST(XmpParser, ReportsAMalformedPacketWithLinePositionSourceAndReason) {
  const std::string packet = Packet(Description(kDc, "<dc:title>unclosed"));
  MetadataRecord record;
  auto error = XmpParser(CustomXmpDefinition{}).Read(packet, record);
  ASSERT_TRUE(error);
  EXPECT_GT(error->line, 0);
  EXPECT_FALSE(error->reason.empty());
  const std::string message = ParseErrorMessage(*error);
  EXPECT_EQ(message.rfind("Parsing error:Line: " + std::to_string(error->line) + ", position: ", 0), 0u);
  EXPECT_EQ(record.xmp[col::ObjectName], "");

  EXPECT_TRUE(XmpParser(CustomXmpDefinition{}).Read("", record));
  EXPECT_TRUE(XmpParser(CustomXmpDefinition{}).Read("<a><b></a>", record));
  // A prefix the packet never declares is an error too.
  EXPECT_TRUE(XmpParser(CustomXmpDefinition{}).Read("<x:xmpmeta/>", record));
}

// No DTD is ever read, so no entity is ever expanded: a packet declaring a document type is refused
// whole, whatever its subset holds; an entity without one is a plain parse error.
TEST(XmpParser, RefusesEveryPacketWithADocumentTypeAndExpandsNoEntity) {
  const std::string title = Description(kDc, Alt("dc:title", Li("&big;&big;")));
  const struct Case { std::string packet; bool refused; } cases[] = {
      {"<!DOCTYPE x:xmpmeta [<!ENTITY big \"" + std::string(10'000, 'a') + "\">]>" + Packet(title), true},
      {"<!DOCTYPE x:xmpmeta SYSTEM \"file:///etc/passwd\">" + Packet(title), true},
      {"<!DOCTYPE x [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]><x/>", true},
      {"<!DOCTYPE x>" + Packet(Description(kDc, Alt("dc:title", Li("t")))), true},
      {Packet(title), false},
  };
  for (const Case& c : cases) {
    MetadataRecord record;
    const auto error = XmpParser(CustomXmpDefinition{}).Read(c.packet, record);
    ASSERT_TRUE(error) << c.packet.substr(0, 60);
    EXPECT_EQ(ParseErrorMessage(*error) == kDtdRefusal, c.refused) << ParseErrorMessage(*error);
    EXPECT_EQ(record.xmp[col::ObjectName], "");
  }
}

// A message quotes at most 200 characters of the packet, however long its failing line.
TEST(XmpParser, QuotesAtMostTwoHundredCharactersOfTheFailingLine) {
  MetadataRecord record;
  const std::string packet = Packet(Description(kDc, std::string(100'000, 'x') + "<"));
  const auto error = XmpParser(CustomXmpDefinition{}).Read(packet, record);
  ASSERT_TRUE(error);
  EXPECT_LE(error->sourceText.size(), 200u + 3);
  EXPECT_LT(ParseErrorMessage(*error).size(), 700u);
}

// A million keywords join in linear time and stop at the column bound, the first ones kept in order.
TEST(XmpParser, JoinsAMillionListItemsUpToTheValueBound) {
  std::string items;
  for (int i = 0; i < 1'000'000; ++i) items += Li("k" + std::to_string(i % 10));
  const MetadataRecord record = Read(Packet(Description(kDc, List("dc:subject", "Bag", items))));
  const std::string& keywords = record.xmp[col::Keywords];
  EXPECT_GT(keywords.size(), kMaxValueBytes);
  EXPECT_LE(keywords.size(), kMaxValueBytes + 4);
  EXPECT_EQ(keywords.substr(0, 14), "k0; k1; k2; k3");
}

CustomXmpDefinition MypSchema(const std::string& property = "Rating", const std::string& column = "05") {
  CustomXmpDefinition def;
  def.schemas[0].prefix = "myp";
  def.schemas[0].ns = "http://example.com/myp/1.0/";
  def.schemas[0].properties[0] = {property, column};
  return def;
}

TEST(CustomXmp, ReadsADeclaredPropertyIntoItsColumn) {
  const XmpParser parser(MypSchema());
  EXPECT_EQ(ReadWith(parser, Packet(Description(kMyp, "<myp:Rating>3</myp:Rating>"))).custom[4], "3");
  const XmpParser hundred(MypSchema("Rating", "100"));
  EXPECT_EQ(ReadWith(hundred, Packet(Description(kMyp, "<myp:Rating> 3\n </myp:Rating>"))).custom[99], "3\r\n");
}

TEST(CustomXmp, ADescriptionTakenByAStandardSchemaGivesNoCustomNode) {
  const XmpParser parser(MypSchema());
  const std::string packet = Packet(Description(std::string(kDc) + " " + kMyp, "<myp:Rating>3</myp:Rating>"));
  EXPECT_EQ(ReadWith(parser, packet).custom[4], "");
}

TEST(CustomXmp, ALargeDescriptionServesSeveralCustomSchemasASmallOneTheFirstOnly) {
  CustomXmpDefinition def = MypSchema("A", "01");
  def.schemas[1] = {"", "http://example.com/two/", "two", {}};
  def.schemas[1].properties[0] = {"B", "02"};
  const XmpParser parser(def);
  auto packet = [](int children) {
    std::string body = "<myp:A>a</myp:A><two:B>b</two:B>";
    for (int i = 2; i < children; ++i) body += "<myp:Pad>p</myp:Pad>";
    return Packet(Description(std::string(kMyp) + " xmlns:two=\"http://example.com/two/\"", body));
  };
  const MetadataRecord large = ReadWith(parser, packet(12));
  EXPECT_EQ(large.custom[0], "a");
  EXPECT_EQ(large.custom[1], "b");
  const MetadataRecord small = ReadWith(parser, packet(8));
  EXPECT_EQ(small.custom[0], "a");
  EXPECT_EQ(small.custom[1], "");
}

TEST(CustomXmp, TheLaterSlotWinsWhenTwoNameTheSameColumn) {
  CustomXmpDefinition def = MypSchema("First", "07");
  def.schemas[0].properties[1] = {"Second", "07"};
  def.schemas[0].properties[2] = {"Missing", "07"};
  const XmpParser parser(def);
  const MetadataRecord r =
      ReadWith(parser, Packet(Description(kMyp, "<myp:First>1</myp:First><myp:Second>2</myp:Second>")));
  EXPECT_EQ(r.custom[6], "2");
}

TEST(CustomXmp, APrefixThatBeginsAStandardOneIsNotDeclared) {
  CustomXmpDefinition def;
  def.schemas[0] = {"", "http://example.com/ph/", "ph", {}};
  def.schemas[0].properties[0] = {"Rating", "01"};
  const XmpParser parser(def);
  EXPECT_EQ(parser.NamespaceListText().find("xmlns:ph='"), std::string::npos);
  // The packet declares it; selecting it must neither fail nor stop the read.
  const MetadataRecord r = ReadWith(
      parser, Packet(Description("xmlns:ph=\"http://example.com/ph/\"", "<ph:Rating>4</ph:Rating>") +
                     Description(kDc, Alt("dc:title", Li("T")))));
  EXPECT_EQ(r.custom[0], "");
  EXPECT_EQ(r.xmp[col::ObjectName], "T");
}

TEST(CustomXmp, ASchemaWithoutUriIsNotDeclaredAndYieldsEmptyValues) {
  CustomXmpDefinition def = MypSchema();
  def.schemas[0].ns.clear();
  const XmpParser parser(def);
  EXPECT_EQ(parser.NamespaceListText().find("myp"), std::string::npos);
  EXPECT_EQ(ReadWith(parser, Packet(Description(kMyp, "<myp:Rating>3</myp:Rating>"))).custom[4], "");
}

TEST(CustomXmp, PropertyNamesThatAreNotPlainNamesSelectNothing) {
  for (std::string name : {"Rating | //*", "a/b", "x[1]", "'q'"}) {
    const XmpParser parser(MypSchema(name));
    EXPECT_EQ(ReadWith(parser, Packet(Description(kMyp, "<myp:Rating>3</myp:Rating>"))).custom[4], "") << name;
  }
}

TEST(CustomXmp, AStructuredPropertyGivesTheTextsOfItsItems) {
  const XmpParser parser(MypSchema("Tags"));
  const MetadataRecord r = ReadWith(parser, Packet(Description(kMyp, List("myp:Tags", "Bag", Li("a") + Li("b")))));
  EXPECT_EQ(r.custom[4], "ab");
}

// The modern rules read what the classic ones miss, and keep every value the classic ones find.
MetadataRecord ReadModern(const std::string& packet, const CustomXmpDefinition& custom = {}) {
  return ReadWith(XmpParser(custom, XmpParser::Rules::Modern), packet);
}

// The modern rules search the first 1,000 Descriptions only: each property is looked for in each.
TEST(XmpModernRules, SearchesTheFirstThousandDescriptionsAndSaysSo) {
  for (const std::size_t before : {std::size_t{999}, std::size_t{1000}}) {
    std::string body;
    for (std::size_t i = 0; i < before; ++i) body += "<rdf:Description rdf:about=\"\"/>";
    // Another prefix, so the classic choice of the photoshop Description does not take it first.
    const std::string city = Description("xmlns:ps=\"http://ns.adobe.com/photoshop/1.0/\"", "<ps:City>Oslo</ps:City>");
    const MetadataRecord modern = ReadModern(Packet(body + city));
    EXPECT_EQ(modern.xmp[col::City], before < 1000 ? "Oslo" : "") << before;
    EXPECT_EQ(modern.problems.size(), before < 1000 ? 0u : 1u) << before;
  }
}

TEST(XmpModernRules, OneDescriptionDeclaringSeveralSchemasYieldsThemAll) {
  // As the common XMP toolkit writes it: every schema in one Description.
  const std::string packet = Packet(Description(
      std::string(kXmp) + " " + kDc + " " + kPs + " " + kRights + " " + kMyp,
      Alt("dc:title", Li("Harbour")) + "<photoshop:City>Nice</photoshop:City>" +
          "<photoshop:DateCreated>2024-05-01T10:00:00</photoshop:DateCreated><xapRights:Marked>True</xapRights:Marked>"
          "<myp:Rating>4</myp:Rating>"));
  const MetadataRecord classic = ReadWith(XmpParser(MypSchema()), packet);
  EXPECT_EQ(classic.xmp[col::ObjectName], "Harbour");
  EXPECT_EQ(classic.xmp[col::City], "");  // the Description serves dc only
  const MetadataRecord modern = ReadModern(packet, MypSchema("Rating", "05"));
  EXPECT_EQ(modern.xmp[col::ObjectName], "Harbour");
  EXPECT_EQ(modern.xmp[col::City], "Nice");
  EXPECT_EQ(modern.xmp[col::CreatedDate], "2024-05-01");
  EXPECT_EQ(modern.copyrightStatus, 1);
  EXPECT_EQ(modern.custom[4], "4");
}

TEST(XmpModernRules, SchemasAreKnownByTheirNamespaceWhateverThePrefix) {
  // xmpRights, dce and a custom schema under another prefix, as other writers name them.
  const std::string packet = Packet(
      Description("xmlns:xmpRights=\"http://ns.adobe.com/xap/1.0/rights/\"",
                  "<xmpRights:Marked>False</xmpRights:Marked><xmpRights:WebStatement>http://example.com/l</xmpRights:WebStatement>") +
      Description("xmlns:dce=\"http://purl.org/dc/elements/1.1/\"", List("dce:subject", "Bag", Li("sea") + Li("sun"))) +
      Description("xmlns:mine=\"http://example.com/myp/1.0/\"", "<mine:Rating>2</mine:Rating>"));
  const MetadataRecord classic = ReadWith(XmpParser(MypSchema()), packet);
  EXPECT_EQ(classic.copyrightStatus, 0);
  EXPECT_EQ(classic.xmp[col::Keywords], "");
  EXPECT_EQ(classic.custom[4], "");
  const MetadataRecord modern = ReadModern(packet, MypSchema());
  EXPECT_EQ(modern.copyrightStatus, 2);
  EXPECT_EQ(modern.xmp[col::XMPWebStatement], "http://example.com/l");
  EXPECT_EQ(modern.xmp[col::Keywords], "sea; sun");
  EXPECT_EQ(modern.custom[4], "2");
}

TEST(XmpModernRules, SimplePropertiesWrittenAsAttributesAndABareRdfRootAreRead) {
  const std::string attributes = Description(std::string(kPs) + " " + kMyp +
                                                 " photoshop:City=\"Nice\" photoshop:Headline=\"A&amp;B\" myp:Rating=\"5\"",
                                             "");
  EXPECT_EQ(Read(Packet(attributes)).xmp[col::City], "");
  const MetadataRecord modern = ReadModern(Packet(attributes), MypSchema());
  EXPECT_EQ(modern.xmp[col::City], "Nice");
  EXPECT_EQ(modern.xmp[col::Headline], "A&B");
  EXPECT_EQ(modern.custom[4], "5");

  const std::string bare = "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" +
                           Description(kDc, Alt("dc:title", Li("Bare"))) + "</rdf:RDF>";
  EXPECT_EQ(Read(bare).xmp[col::ObjectName], "");
  EXPECT_EQ(ReadModern(bare).xmp[col::ObjectName], "Bare");
}

TEST(XmpModernRules, EveryValueTheClassicRulesFindIsKept) {
  // The classic dc node is the second Description (the first declares photoshop first); a title in
  // the first one does not replace the one they read, but fills a column they leave empty.
  const std::string packet = Packet(
      Description(std::string(kPs) + " " + kDc, Alt("dc:title", Li("First")) + Alt("dc:rights", Li("(c) first"))) +
      Description(kDc, Alt("dc:title", Li("Second"))));
  const MetadataRecord classic = ReadWith(XmpParser(CustomXmpDefinition{}), packet);
  const MetadataRecord modern = ReadModern(packet);
  EXPECT_EQ(classic.xmp[col::ObjectName], "Second");
  EXPECT_EQ(modern.xmp[col::ObjectName], "Second");
  EXPECT_EQ(classic.xmp[col::Copyright], "");
  EXPECT_EQ(modern.xmp[col::Copyright], "(c) first");
  for (std::size_t c = 0; c < kImageColumnCount; ++c) {
    if (!classic.xmp[c].empty()) EXPECT_EQ(modern.xmp[c], classic.xmp[c]) << c;
  }
}

}  // namespace
}  // namespace tessarine
