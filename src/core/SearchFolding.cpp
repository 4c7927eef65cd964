#include "core/SearchFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace tessarine {
namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string FoldForSearch(std::string_view text) {
  std::string folded;
  if (IsAscii(text)) {
    folded.reserve(text.size());
    for (char c : text) folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return folded;
  }
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return std::string(text);  // ICU's data is part of its library: never seen
  // Folding first: it can bring marks of its own ("İ" folds to "i" and a combining dot).
  icu::UnicodeString unicode =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  unicode.foldCase(U_FOLD_CASE_DEFAULT);
  const icu::UnicodeString decomposed = nfd->normalize(unicode, status);
  icu::UnicodeString bare;
  for (int32_t i = 0; i < decomposed.length();) {
    const UChar32 c = decomposed.char32At(i);
    if (u_charType(c) != U_NON_SPACING_MARK) bare.append(c);
    i += U16_LENGTH(c);
  }
  nfc->normalize(bare, status).toUTF8String(folded);
  return U_SUCCESS(status) ? folded : std::string(text);
}

}  // namespace tessarine
