#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideRow.h"

namespace tembra {

// The texts of the guide lists' items and of the day options, exactly as
// the viewer reads them.
class GuideRowText {
 public:
  // "playinglist" and "playlist": channel name, start time (HH:MM) and
  // title, one space between each.
  static std::u16string ChannelRow(const GuideRow& row);
  // The day lists of one channel: start time and title. The time keeps its
  // seconds only when asked (another programme of the list starts in the
  // same minute, see DayTimes).
  static std::u16string DayRow(const GuideRow& row, bool withSeconds = false);
  // Which rows of one day list show their seconds: those that share their
  // minute with another row, so two programmes never read the same time.
  static std::vector<bool> DaySeconds(const std::vector<GuideRow>& rows);
  // "HH:MM" of "HH:MM:SS"; any other text as it is.
  static std::u16string ShortTime(std::u16string_view starttime);

  // The label of a day option: "Today" for the day holding `now`, else the
  // short weekday and day of the month of `dayStart` in local time
  // ("Tue 10"). Both are UTC seconds.
  static std::u16string DayOption(int64_t dayStart, int64_t now);
};

}  // namespace tembra
