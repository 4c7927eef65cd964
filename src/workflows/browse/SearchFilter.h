#pragma once
// What a search asks for, as the view's search field and the find command take it: words, a folder
// tree and a range of the photos' dates.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FolderKey.h"

namespace tessarine {

// A calendar day given as "YYYY-MM-DD". Only Parse makes one, so a filter holds real days only.
class SearchDay {
 public:
  // The day, when the text is one: four digits, "-", two, "-", two, naming a day of the calendar.
  static std::optional<SearchDay> Parse(std::string_view text);

  // "CCYYMMDD", the form dates are compared in.
  const std::string& Digits() const { return m_digits; }
  friend auto operator<=>(const SearchDay&, const SearchDay&) = default;

 private:
  explicit SearchDay(std::string digits) : m_digits(std::move(digits)) {}
  std::string m_digits;
};

struct SearchFilter {
  // Words separated by blanks (space, tab, line breaks); a row matches when each occurs somewhere.
  std::string words;
  // This folder and every folder below it.
  std::optional<FolderKey> folder{};
  // The photo's date (CreatedDate) lies in [from, to]; an end left open is not bounded.
  std::optional<SearchDay> from{};
  std::optional<SearchDay> to{};
};

// The most words one search takes: each adds a test of every searched column, and servers bound the
// size of a statement's expression (SQLite's tree takes about 1,000 tests).
inline constexpr std::size_t kMaxSearchWords = 100;

// The words of a search text, in order, empty ones dropped.
std::vector<std::string> SplitWords(std::string_view text);

}  // namespace tessarine
