#pragma once
#include <string>
#include <string_view>

#include "guide/LocalClock.h"

namespace tembra {

// The texts that decide what is on: the now key "DD:HH:MM:SS" (day of
// month, hour, minute, second of the local clock) against an entry key,
// the channel day's dayKey, ":" and the entry's starttime. Keys compare
// ordinally by 16-bit unit, as a C string comparison does (a NUL ends a
// text). An entry whose key equals the now key is still to come.
class GuideTimeKey {
 public:
  static std::u16string NowKey(const LocalTime& now);
  // "%02d" of the day of month plus the day index.
  static std::u16string DayKey(int dayOfMonth, int dayIndex);
  static std::u16string EntryKey(std::u16string_view dayKey, std::u16string_view starttime);

  // Sign of comparing nowKey with the entry key, without building it.
  static int CompareNow(std::u16string_view nowKey, std::u16string_view dayKey, std::u16string_view starttime);
  static bool StillToCome(std::u16string_view nowKey, std::u16string_view dayKey, std::u16string_view starttime) {
    return CompareNow(nowKey, dayKey, starttime) <= 0;
  }
};

}  // namespace tembra
