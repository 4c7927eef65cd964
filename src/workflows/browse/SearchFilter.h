#pragma once
// What a search asks for, as the view's search field and the find command take it: words, a folder
// tree, a range of the photos' dates, and what the facts and keywords tables say of them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CompanionSearch.h"
#include "core/FolderKey.h"

namespace tessarine {

// A calendar day given as "YYYY-MM-DD". Only Parse makes one, so a filter holds real days only.
class SearchDay {
 public:
  // The day, when the text is one: four digits, "-", two, "-", two, naming a day of the calendar.
  static std::optional<SearchDay> Parse(std::string_view text);

  // "CCYYMMDD", the form dates are compared in.
  const std::string& Digits() const { return m_digits; }
  // "CCYY-MM-DD".
  std::string Dashed() const { return m_digits.substr(0, 4) + "-" + m_digits.substr(4, 2) + "-" + m_digits.substr(6); }
  friend auto operator<=>(const SearchDay&, const SearchDay&) = default;

 private:
  explicit SearchDay(std::string digits) : m_digits(std::move(digits)) {}
  std::string m_digits;
};

struct SearchFilter {
  // Words separated by blanks (space, tab, line breaks); a row matches when each occurs somewhere.
  std::string words{};
  // This folder and every folder below it.
  std::optional<FolderKey> folder{};
  // The photo's date (CreatedDate) lies in [from, to]; an end left open is not bounded.
  std::optional<SearchDay> from{};
  std::optional<SearchDay> to{};
  // The day it was taken (DateTaken) lies in [takenFrom, takenTo].
  std::optional<SearchDay> takenFrom{};
  std::optional<SearchDay> takenTo{};
  std::string camera{};  // words, each in the make, model or lens
  std::optional<NearPlace> near{};
  std::vector<std::string> keywords{};  // each a keyword of the photo, a level of a hierarchy or its leaf
  std::string digitalSource{};          // a part of its digital source type ("trainedAlgorithmicMedia")
  // Another file has the same content (see ForEachCopyGroup).
  bool withCopies = false;
  // An audit: the photo lacks at least one of these fields (see FindRequiredField).
  std::vector<std::string> missing{};
};

// "LAT,LON,KM": a place in signed decimal degrees and a radius in kilometres (at most 20,000).
std::optional<NearPlace> ParseNear(std::string_view text);

// The most words one search takes: each adds a test of every searched column, and servers bound the
// size of a statement's expression (SQLite's tree takes about 1,000 tests).
inline constexpr std::size_t kMaxSearchWords = 100;

// The words of a search text, in order, empty ones dropped.
std::vector<std::string> SplitWords(std::string_view text);

}  // namespace tessarine
