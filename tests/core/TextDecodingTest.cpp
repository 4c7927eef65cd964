#include "core/TextDecoding.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(NormalizeLineBreaks, TrimsSpacesOnlyAndCollapsesBareLfPairsButKeepsAnEmptyCrLfLine) {
  const TextCase cases[] = {
      {"  a\tb \t ", "a\tb \t"}, {"a\nb", "a\r\nb"},        {"a\rb", "a\r\nb"},           {"a\r\nb", "a\r\nb"},
      {"a\n\nb", "a\r\nb"},      {"a\n\n\nb", "a\r\n\r\nb"}, {"a\r\n\r\nb", "a\r\n\r\nb"}, {" \nx\n ", "\r\nx\r\n"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(NormalizeLineBreaks(c.input), c.expected) << c.input;
}

std::string Latin1AsParserText(std::string_view bytes) {
  // What libxml2 returns for a packet read as ISO-8859-1: each byte as a character.
  std::string out;
  for (char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

TEST(DecodeUtf8, DecodesTheBytesTheParserCharactersStandForAndNeverEmitsInvalidUtf8) {
  const TextCase cases[] = {
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"\xE2\x82\xAC", "\xE2\x82\xAC"},
      {"a\xF0\x9F\x98\x80z", "a\xF0\x9F\x98\x80z"},       // four bytes, outside the basic plane
      {"\xED\xA0\x80", "\xEF\xBF\xBD"},                     // a surrogate
      {"caf\xE9", "caf"},                                   // a lone Latin-1 byte
      {"\xC0\xAF\xF5\x80\x80\x80\xF4\x90\x80\x80", ""},     // overlong, past U+10FFFF
      {"\xE2\x82", ""},                                     // cut off
  };
  for (const TextCase& c : cases) EXPECT_EQ(DecodeUtf8(Latin1AsParserText(c.input)), c.expected) << c.input;
  // A character above Latin-1 can only come from a character reference: it is kept.
  EXPECT_EQ(DecodeUtf8("\xE2\x98\xBA"), "\xE2\x98\xBA");
  // The check itself refuses an encoded surrogate and an overlong form. That any bytes decode to
  // valid UTF-8 is the fuzzer's to find (FuzzReadImageMetadata checks every value).
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));
}

TEST(AppendUtf8, WritesTheReplacementCharacterForWhatIsNoCharacter) {
  const std::pair<char32_t, const char*> cases[] = {
      {0xD800, "\xEF\xBF\xBD"}, {0xDFFF, "\xEF\xBF\xBD"}, {0x110000, "\xEF\xBF\xBD"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& [cp, bytes] : cases) {
    std::string out;
    AppendUtf8(out, cp);
    EXPECT_EQ(out, bytes) << static_cast<unsigned>(cp);
  }
}

TEST(DecodeWindows1252, MapsHighBytesToTheirCharacters) {
  EXPECT_EQ(DecodeWindows1252("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(DecodeWindows1252("\x80\x99\x9F"), "\xE2\x82\xAC\xE2\x84\xA2\xC5\xB8");
  EXPECT_EQ(DecodeWindows1252("\x81"), "\xC2\x81");
}

}  // namespace
}  // namespace tessarine
