#include "files/dos_time.h"

namespace nv {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Valid(const DosDateTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysIn(t.year, t.month) && t.hour >= 0 &&
         t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

std::string TwoDigits(int v) {
  std::string s = std::to_string(v % 100);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::optional<DosDateTime> DecodeDosDateTime(std::uint32_t value) {
  const std::uint32_t date = value >> 16, time = value & 0xFFFFu;
  DosDateTime t;
  t.year = 1980 + static_cast<int>(date >> 9);
  t.month = static_cast<int>((date >> 5) & 0x0F);
  t.day = static_cast<int>(date & 0x1F);
  t.hour = static_cast<int>(time >> 11);
  t.minute = static_cast<int>((time >> 5) & 0x3F);
  t.second = static_cast<int>(time & 0x1F) * 2;
  if (!Valid(t)) return std::nullopt;
  return t;
}

std::optional<std::uint32_t> EncodeDosDateTime(const DosDateTime& t) {
  if (t.year < 1980 || t.year > 2107 || !Valid(t)) return std::nullopt;
  const std::uint32_t date = static_cast<std::uint32_t>(((t.year - 1980) << 9) | (t.month << 5) | t.day);
  const std::uint32_t time = static_cast<std::uint32_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
  return (date << 16) | time;
}

int DayOfWeek(int y, int m, int d) {
  static const int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + kOffset[m - 1] + d) % 7;
}

std::string FormatDatePicture(std::string_view pic, const DosDateTime& t, const DateNames& names) {
  std::string out;
  if (!Valid(t)) return out;
  size_t i = 0;
  while (i < pic.size()) {
    const char c = pic[i];
    if (c == '\'') {
      // Quoted text; '' inside or outside quotes is one quote.
      ++i;
      if (i < pic.size() && pic[i] == '\'') {
        out += '\'';
        ++i;
        continue;
      }
      while (i < pic.size()) {
        if (pic[i] == '\'') {
          if (i + 1 < pic.size() && pic[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += pic[i++];
      }
      continue;
    }
    size_t n = 1;
    while (i + n < pic.size() && pic[i + n] == c) ++n;
    switch (c) {
      case 'd':
        if (n == 1) out += std::to_string(t.day);
        else if (n == 2) out += TwoDigits(t.day);
        else if (n == 3) out += names.shortDays[static_cast<size_t>(DayOfWeek(t.year, t.month, t.day))];
        else out += names.days[static_cast<size_t>(DayOfWeek(t.year, t.month, t.day))];
        break;
      case 'M':
        if (n == 1) out += std::to_string(t.month);
        else if (n == 2) out += TwoDigits(t.month);
        else if (n == 3) out += names.shortMonths[static_cast<size_t>(t.month - 1)];
        else out += names.months[static_cast<size_t>(t.month - 1)];
        break;
      case 'y':
        if (n == 1) out += std::to_string(t.year % 100);
        else if (n == 2) out += TwoDigits(t.year);
        else out += std::to_string(t.year);
        break;
      case 'g':
        break;  // the era: none in the Gregorian calendar's short dates
      default:
        out.append(n, c);
        break;
    }
    i += n;
  }
  return out;
}

}  // namespace nv
