#include "core/SearchFolding.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(FoldForSearch, FoldsCaseFullyAndDropsNonspacingMarksButKeepsLettersUnicodeDoesNotDecompose) {
  const std::pair<std::string, std::string> cases[] = {
      {"Reykjav\xC3\xADk", "reykjavik"},           // precomposed í
      {"Reykjavi\xCC\x81k", "reykjavik"},          // i and a combining acute
      {"\xC3\x89" "CLAIR", "eclair"},              // É
      {"Stra\xC3\x9F" "e", "strasse"},             // ß folds to two letters
      {"STRA\xE1\xBA\x9E" "E", "strasse"},         // capital ẞ
      {"\xC4\xB0stanbul", "istanbul"},             // İ folds to i and a combining dot
      {"\xC3\x98rsted", "\xC3\xB8rsted"},          // Ø: no decomposition, only lowered
      {"\xCE\x86\xCE\xA3\xCF\x82", "\xCE\xB1\xCF\x83\xCF\x83"},  // Άς and final ς: ασσ
      {"\xED\x95\x9C", "\xED\x95\x9C"},            // a Hangul syllable comes back composed
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},          // a byte that is not UTF-8
      {"100% Caf\xC3\xA9_!", "100% cafe_!"},
      {"", ""},
  };
  for (const auto& [text, folded] : cases) EXPECT_EQ(FoldForSearch(text), folded) << text;
}

}  // namespace
}  // namespace tessarine
