#include "CivilDate.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace tembra {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

bool number(std::string_view text, int& out) {
  if (text.empty() || text.size() > 4) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

int CivilDate::DaysInMonth(int year, int month) {
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return lengths[(month - 1) % 12];
}

std::optional<CivilDate> CivilDate::Parse(std::string_view text) {
  size_t first = text.find('-');
  size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  CivilDate date;
  if (first != 4 || !number(text.substr(0, first), date.year) ||
      !number(text.substr(first + 1, second - first - 1), date.month) ||
      !number(text.substr(second + 1), date.day))
    return std::nullopt;
  if (date.year < 1970 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month))
    return std::nullopt;
  return date;
}

CivilDate CivilDate::Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

CivilDate CivilDate::Next() const {
  CivilDate next = *this;
  if (++next.day > DaysInMonth(year, month)) {
    next.day = 1;
    if (++next.month > 12) {
      next.month = 1;
      ++next.year;
    }
  }
  return next;
}

long CivilDate::DaysUntil(const CivilDate& other) const {
  return daysFromCivil(other.year, other.month, other.day) - daysFromCivil(year, month, day);
}

std::string CivilDate::Text() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
  return buf;
}

}  // namespace tembra
