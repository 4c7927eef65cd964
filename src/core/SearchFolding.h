#pragma once
// The one folding of text for accent- and case-blind search: the scan folds the words of a row when
// it writes them, the search folds the words it looks for, so both meet in the same form.

#include <string>
#include <string_view>

namespace tessarine {

// The text with Unicode's full case folding applied, then decomposed (NFD), stripped of its
// nonspacing marks (general category Mn) and composed again (NFC): "Éclair" -> "eclair",
// "STRASSE" and "Straße" -> "strasse", "Reykjavík" -> "reykjavik". A letter Unicode does not
// decompose keeps its own form: "Ørsted" -> "ørsted", "Łódź" -> "łodz". Bytes that are not UTF-8
// read as U+FFFD. ASCII text is only lowered. Full folding can make a text longer (at most three
// characters of one), never by more than three times its size.
std::string FoldForSearch(std::string_view text);

// What separates the words of a search, and the pieces of a row's folded words: space, tab, line
// breaks. Folding never makes one of them, nor takes one away.
inline bool IsSearchBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace tessarine
