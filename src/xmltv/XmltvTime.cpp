#include "xmltv/XmltvTime.h"

#include <cmath>

namespace tembra {

namespace {

bool digits(std::string_view s, size_t from, size_t count, int& value) {
  int v = 0;
  for (size_t i = from; i < from + count; ++i) {
    const char c = s[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

// Days from the civil calendar without timegm: the guide parse calls this
// for every programme, and timegm would take the time-zone lock each time.
int64_t XmltvTime::fromCivil(int year, int month, int day, int hour, int minute, int second) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<int64_t> XmltvTime::parse(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  size_t n = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
  if (n != 12 && n != 14) return std::nullopt;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  digits(s, 0, 4, year);
  digits(s, 4, 2, month);
  digits(s, 6, 2, day);
  digits(s, 8, 2, hour);
  digits(s, 10, 2, minute);
  if (n == 14) digits(s, 12, 2, second);
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  int64_t t = fromCivil(year, month, day, hour, minute, second);
  size_t i = n;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return t;
  if (s[i] != '+' && s[i] != '-') return std::nullopt;
  int oh = 0, om = 0;
  if (s.size() - i != 5 || !digits(s, i + 1, 2, oh) || !digits(s, i + 3, 2, om) || oh > 23 || om > 59)
    return std::nullopt;
  const int64_t offset = oh * 3600 + om * 60;
  return s[i] == '+' ? t - offset : t + offset;
}

int64_t XmltvTime::shiftSeconds(double hours) {
  constexpr double kWeek = 7 * 24.0;
  if (!std::isfinite(hours)) return 0;
  if (hours > kWeek) hours = kWeek;
  if (hours < -kWeek) hours = -kWeek;
  return std::llround(hours * 3600.0);
}

}  // namespace tembra
