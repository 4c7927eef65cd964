#include "workflows/browse/SearchFilter.h"

#include <charconv>
#include <cmath>

#include "core/SearchFolding.h"

namespace tessarine {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The number the digits text[at, at + length) spell, or -1 when one is not a digit.
int Number(std::string_view text, std::size_t at, std::size_t length) {
  int n = 0;
  for (std::size_t i = at; i < at + length; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    n = n * 10 + (text[i] - '0');
  }
  return n;
}

}  // namespace

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
  const int year = Number(text, 0, 4);
  const int month = Number(text, 5, 2);
  const int day = Number(text, 8, 2);
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
