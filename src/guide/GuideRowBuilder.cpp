#include "guide/GuideRowBuilder.h"

#include <string>

namespace tembra {

namespace {

GuideRow rowOf(const GuideDayList& list, size_t channel, size_t entry) {
  return {std::u16string(list.id(channel)), std::u16string(list.name(channel)), list.entry(channel, entry)};
}

// The now key's day of month ("DD" before its first ':') is the channel
// day's own: the clock has not yet passed that day's midnight.
bool sameDay(std::u16string_view nowKey, std::u16string_view dayKey) {
  return nowKey.substr(0, nowKey.find(u':')) == dayKey;
}

std::u16string_view idOf(const GuideRowBuilder::Days& days, const GuideChannelPlace& place) {
  for (int d = 0; d < 3; ++d)
    if (place.index[d] != GuideChannelPlace::kAbsent) return days.day[d]->id(place.index[d]);
  return {};
}

}  // namespace

void GuideRowBuilder::NowPlaying(const GuideDayList& today, std::u16string_view nowKey,
                                 std::vector<GuideRow>& rows) {
  // Ids are unique within a day list, so only rows handed in can repeat one.
  std::unordered_set<std::u16string> given;
  for (const GuideRow& row : rows) given.insert(row.id);
  const bool onListDay = sameDay(nowKey, today.dayKey());
  for (size_t c = 0; c < today.size(); ++c) {
    size_t next = today.FirstStillToCome(c, nowKey);
    // Every programme has started: the last one runs until midnight, and
    // is on as long as the clock is still on the list's day. After
    // midnight the old today has nothing on.
    if (next == GuideDayList::npos) {
      if (today.entryCount(c) == 0 || !onListDay) continue;
      next = today.entryCount(c);
    }
    if (next == 0) continue;
    if (!given.empty() && given.count(std::u16string(today.id(c))) != 0) continue;
    rows.push_back(rowOf(today, c, next - 1));
  }
}

std::vector<GuideChannelPlace> GuideRowBuilder::CollectChannelIds(const Days& days) {
  std::vector<GuideChannelPlace> places;
  for (int d = 0; d < 3; ++d) {
    if (!days.day[d]) continue;
    const GuideDayList& list = *days.day[d];
    for (size_t c = 0; c < list.size(); ++c) {
      const std::u16string_view id = list.id(c);
      bool known = false;
      for (int e = 0; e < d && !known; ++e) known = days.day[e] && days.day[e]->IndexOf(id) != GuideDayList::npos;
      if (known) continue;
      GuideChannelPlace place;
      place.index[d] = static_cast<uint32_t>(c);
      for (int later = d + 1; later < 3; ++later) {
        const size_t at = days.day[later] ? days.day[later]->IndexOf(id) : GuideDayList::npos;
        if (at != GuideDayList::npos) place.index[later] = static_cast<uint32_t>(at);
      }
      places.push_back(place);
    }
  }
  return places;
}

void GuideRowBuilder::NextProgramme(const Days& days, const GuideChannelPlace& place, std::u16string_view nowKey,
                                    std::vector<GuideRow>& rows, const SeenIds& seen) {
  if (!seen.empty() && seen.count(idOf(days, place)) != 0) return;
  for (int d = 0; d < 3; ++d) {
    if (place.index[d] == GuideChannelPlace::kAbsent) continue;
    const GuideDayList& list = *days.day[d];
    const size_t next = list.FirstStillToCome(place.index[d], nowKey);
    if (next == GuideDayList::npos) continue;
    rows.push_back(rowOf(list, place.index[d], next));
    return;
  }
}

void GuideRowBuilder::Upcoming(const Days& days, const std::vector<GuideChannelPlace>& places,
                               std::u16string_view nowKey, std::vector<GuideRow>& rows) {
  // The collected channels are unique, so only rows handed in can repeat
  // one; their ids are copied, as rows' strings may move while it grows.
  std::vector<std::u16string> handedIn;
  handedIn.reserve(rows.size());
  for (const GuideRow& row : rows) handedIn.push_back(row.id);
  const SeenIds seen(handedIn.begin(), handedIn.end());
  rows.reserve(rows.size() + places.size());
  for (const GuideChannelPlace& place : places) NextProgramme(days, place, nowKey, rows, seen);
}

void GuideRowBuilder::DayList(const GuideDayList& day, std::u16string_view channelId, std::vector<GuideRow>& rows) {
  const size_t channel = day.IndexOf(channelId);
  if (channel == GuideDayList::npos) return;
  rows.reserve(rows.size() + day.entryCount(channel));
  for (size_t e = 0; e < day.entryCount(channel); ++e) rows.push_back(rowOf(day, channel, e));
}

}  // namespace tembra
