#include "guide/GuideRowBuilder.h"

#include "guide/GuideTimeKey.h"

namespace tembra {

namespace {

GuideRow rowOf(const GuideChannelDay& channel, const GuideEntry& entry) { return {channel.id, channel.name, entry}; }

}  // namespace

void GuideRowBuilder::NowPlaying(const GuideDayList& today, std::u16string_view nowKey,
                                 std::vector<GuideRow>& rows) {
  std::unordered_set<std::u16string> given;
  for (const GuideRow& row : rows) given.insert(row.id);
  for (const GuideChannelDay& channel : today.channels()) {
    const auto& entries = channel.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!GuideTimeKey::StillToCome(nowKey, channel.dayKey, entries[i].starttime)) continue;
      if (i > 0 && (given.empty() || given.find(channel.id) == given.end())) {
        rows.push_back(rowOf(channel, entries[i - 1]));
      }
      break;
    }
  }
}

std::vector<std::u16string_view> GuideRowBuilder::CollectChannelIds(const Days& days) {
  std::vector<std::u16string_view> ids;
  for (int d = 0; d < 3; ++d) {
    if (!days.day[d]) continue;
    for (const GuideChannelDay& channel : days.day[d]->channels()) {
      bool known = false;
      for (int e = 0; e < d && !known; ++e) known = days.day[e] && days.day[e]->Find(channel.id);
      if (!known) ids.push_back(channel.id);
    }
  }
  return ids;
}

void GuideRowBuilder::NextProgramme(const Days& days, std::u16string_view channelId, std::u16string_view nowKey,
                                    std::vector<GuideRow>& rows, SeenIds& seen) {
  if (seen.find(channelId) != seen.end()) return;
  for (int d = 0; d < 3; ++d) {
    if (!days.day[d]) continue;
    const GuideChannelDay* channel = days.day[d]->Find(channelId);
    if (!channel) continue;
    for (const GuideEntry& entry : channel->entries) {
      if (!GuideTimeKey::StillToCome(nowKey, channel->dayKey, entry.starttime)) continue;
      rows.push_back(rowOf(*channel, entry));
      seen.insert(channel->id);
      return;
    }
  }
}

void GuideRowBuilder::Upcoming(const Days& days, std::u16string_view nowKey, std::vector<GuideRow>& rows) {
  // Rows handed in are copied into the seen set's own storage, as rows'
  // strings may move while it grows.
  std::vector<std::u16string> handedIn;
  handedIn.reserve(rows.size());
  for (const GuideRow& row : rows) handedIn.push_back(row.id);
  SeenIds seen;
  seen.reserve(rows.size() + (days.day[0] ? days.day[0]->size() : 0));
  for (const std::u16string& id : handedIn) seen.insert(id);
  const std::vector<std::u16string_view> ids = CollectChannelIds(days);
  rows.reserve(rows.size() + ids.size());
  for (std::u16string_view id : ids) NextProgramme(days, id, nowKey, rows, seen);
}

void GuideRowBuilder::DayList(const GuideDayList& day, std::u16string_view channelId, std::vector<GuideRow>& rows) {
  const GuideChannelDay* channel = day.Find(channelId);
  if (!channel) return;
  rows.reserve(rows.size() + channel->entries.size());
  for (const GuideEntry& entry : channel->entries) rows.push_back(rowOf(*channel, entry));
}

}  // namespace tembra
