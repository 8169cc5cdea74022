#include "guide/GuideCalendar.h"

namespace tembra {

bool GuideCalendar::IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int GuideCalendar::MonthLength(int year, int month) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return IsLeapYear(year) ? 29 : 28;
    default: return 31;
  }
}

GuideDate GuideCalendar::TargetDate(const LocalTime& now, int dayIndex) {
  GuideDate date{now.year, now.month, now.day + dayIndex};
  const int length = MonthLength(date.year, date.month);
  if (date.day > length) {
    date.day -= length;
    if (++date.month > 12) {
      date.month = 1;
      ++date.year;
    }
  }
  return date;
}

}  // namespace tembra
