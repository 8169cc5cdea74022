#pragma once
#include <string>

#include "guide/GuideRow.h"

namespace tembra {

// The texts of the guide lists' items, exactly as the viewer reads them.
class GuideRowText {
 public:
  // "playinglist" and "playlist": channel name, start time and title, one
  // space between each.
  static std::u16string ChannelRow(const GuideRow& row);
  // The day lists of one channel: start time and title.
  static std::u16string DayRow(const GuideRow& row);
};

}  // namespace tembra
