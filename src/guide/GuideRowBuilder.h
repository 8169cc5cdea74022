#pragma once
#include <string_view>
#include <unordered_set>
#include <vector>

#include "guide/GuideDayList.h"
#include "guide/GuideRow.h"

namespace tembra {

// The rows of the guide lists, built from day lists and a now key (see
// GuideTimeKey). Every walk is linear in what it reads: channels are found
// through the day lists' index, and the rows already given are remembered
// in a set instead of being searched.
class GuideRowBuilder {
 public:
  // The three day lists a query reads (any may be null: not loaded).
  struct Days {
    const GuideDayList* day[3] = {nullptr, nullptr, nullptr};
  };
  using SeenIds = std::unordered_set<std::u16string_view>;

  // Per channel of today, in list order: the entry before the first one
  // still to come, when there is such an entry and it is not the first.
  static void NowPlaying(const GuideDayList& today, std::u16string_view nowKey, std::vector<GuideRow>& rows);

  // The ids of today's channels in order, then those of day 1 that today
  // lacks, then those of day 2 that neither has.
  static std::vector<std::u16string_view> CollectChannelIds(const Days& days);
  // The first entry still to come of the channel, searching day 0, 1, 2;
  // nothing when rows already hold the channel (seen).
  static void NextProgramme(const Days& days, std::u16string_view channelId, std::u16string_view nowKey,
                            std::vector<GuideRow>& rows, SeenIds& seen);
  static void Upcoming(const Days& days, std::u16string_view nowKey, std::vector<GuideRow>& rows);

  // Every entry of the channel on that day, in order.
  static void DayList(const GuideDayList& day, std::u16string_view channelId, std::vector<GuideRow>& rows);
};

}  // namespace tembra
