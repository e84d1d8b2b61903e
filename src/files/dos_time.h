// File times as the file commands show them: a DOS date-time (the date in
// the high 16 bits, the time in the low 16 bits, two-second grain) and a
// date written with a locale's short date picture ("d/M/yyyy", "dd.MM.yy",
// "yyyy-MM-dd", quoted literals, ...).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

struct DosDateTime {
  int year = 1980, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// The parts of a packed DOS date-time; none when the value names no real
// date or time (month 13, 30 February, hour 24, ...).
std::optional<DosDateTime> DecodeDosDateTime(std::uint32_t value);
// The packed form; none for a year the form cannot hold (before 1980, after
// 2107) or parts out of range.
std::optional<std::uint32_t> EncodeDosDateTime(const DosDateTime& t);

// Day of the week, 0 Sunday.
int DayOfWeek(int year, int month, int day);

struct DateNames {
  std::array<std::string, 12> months{"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
  std::array<std::string, 12> shortMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> days{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  std::array<std::string, 7> shortDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

// The date written with a date picture: d, dd, ddd, dddd; M, MM, MMM,
// MMMM; y, yy, yyy/yyyy (full year); g/gg (era, left out); text in single
// quotes literally ('' is one quote); every other character as it stands.
std::string FormatDatePicture(std::string_view picture, const DosDateTime& t, const DateNames& names = {});

}  // namespace nv
