#pragma once
// Reading dates written in digits ("2024-05-01", "2024-05-01 10:20:30").

#include <cstddef>
#include <string_view>

namespace tessarine {

// The number the digits text[at, at + count) spell, or -1 when one is not a digit. The caller keeps
// the range inside the text.
inline int DigitsValue(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

inline bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The days of a month (1 to 12) of the year.
inline int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace tessarine
