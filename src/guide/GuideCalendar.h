#pragma once
#include "guide/LocalClock.h"

namespace tembra {

struct GuideDate {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const GuideDate&) const = default;
};

// The calendar arithmetic of guide requests: a day index (0 today, 1, 2)
// added to a local date by hand, rolling over into the next month (and
// from December into January of the next year) at most once.
class GuideCalendar {
 public:
  // Divisible by 4 and not by 100, or divisible by 400.
  static bool IsLeapYear(int year);
  // 28-31; 31 for a month outside 1-12, which no clock gives.
  static int MonthLength(int year, int month);
  static GuideDate TargetDate(const LocalTime& now, int dayIndex);
};

}  // namespace tembra
