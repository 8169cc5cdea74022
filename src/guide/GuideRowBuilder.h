#pragma once
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "guide/GuideDayList.h"
#include "guide/GuideRow.h"

namespace tembra {

// Where one channel of the upcoming list stands in each day's list.
struct GuideChannelPlace {
  static constexpr uint32_t kAbsent = UINT32_MAX;
  uint32_t index[3] = {kAbsent, kAbsent, kAbsent};
};

// The rows of the guide lists, built from day lists and a now key (see
// GuideTimeKey). Linear in the channels: the entry that is on comes from
// each list's search, channels of other days from the places collected
// once, and rows handed in are remembered in a set instead of being
// searched.
class GuideRowBuilder {
 public:
  // The three day lists a query reads (any may be null: not loaded).
  struct Days {
    const GuideDayList* day[3] = {nullptr, nullptr, nullptr};
  };
  using SeenIds = std::unordered_set<std::u16string_view>;

  // Per channel of today, in list order: the entry before the first one
  // still to come, when there is such an entry and it is not the first;
  // when every entry has started, the last one, as long as the now key is
  // still on the list's day (before its midnight).
  static void NowPlaying(const GuideDayList& today, std::u16string_view nowKey, std::vector<GuideRow>& rows);

  // The channels of today in order, then those of day 1 that today lacks,
  // then those of day 2 that neither has; each with its place on every day.
  // Depends only on the lists, so a caller may keep it while they stay.
  static std::vector<GuideChannelPlace> CollectChannelIds(const Days& days);
  // The channel's first entry still to come, searching day 0, 1, 2;
  // nothing when seen holds the channel (the ids of rows handed in).
  static void NextProgramme(const Days& days, const GuideChannelPlace& place, std::u16string_view nowKey,
                            std::vector<GuideRow>& rows, const SeenIds& seen);
  static void Upcoming(const Days& days, const std::vector<GuideChannelPlace>& places, std::u16string_view nowKey,
                       std::vector<GuideRow>& rows);

  // Every entry of the channel on that day, in order.
  static void DayList(const GuideDayList& day, std::u16string_view channelId, std::vector<GuideRow>& rows);
};

}  // namespace tembra
