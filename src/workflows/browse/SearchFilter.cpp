#include "workflows/browse/SearchFilter.h"

#include <charconv>
#include <cmath>

#include "core/CalendarDigits.h"
#include "core/SearchFolding.h"

namespace tessarine {

std::optional<NearPlace> ParseNear(std::string_view text) {
  double numbers[3];
  std::size_t at = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t end = i < 2 ? text.find(',', at) : text.size();
    if (end == std::string_view::npos) return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data() + at, text.data() + end, numbers[i]);
    if (error != std::errc() || stop != text.data() + end || !std::isfinite(numbers[i])) return std::nullopt;
    at = end + 1;
  }
  const NearPlace place{numbers[0], numbers[1], numbers[2]};
  if (std::abs(place.latitude) > 90 || std::abs(place.longitude) > 180 || place.kilometres <= 0 ||
      place.kilometres > 20'000) {
    return std::nullopt;
  }
  return place;
}

std::optional<SearchDay> SearchDay::Parse(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const int year = DigitsValue(text, 0, 4);
  const int month = DigitsValue(text, 5, 2);
  const int day = DigitsValue(text, 8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  std::string digits;
  digits.append(text.substr(0, 4)).append(text.substr(5, 2)).append(text.substr(8, 2));
  return SearchDay(std::move(digits));
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsSearchBlank(text[at])) ++at;
    const std::size_t start = at;
    while (at < text.size() && !IsSearchBlank(text[at])) ++at;
    if (at > start) words.emplace_back(text.substr(start, at - start));
  }
  return words;
}

}  // namespace tessarine
