#include "guide/GuideDayList.h"

#include "guide/GuideTimeKey.h"

namespace tembra {

GuideDayList::GuideDayList(std::vector<GuideChannelDay> channels) {
  // Reserved in full so that no push_back reallocates: the index keys view
  // the ids where they finally live.
  channels_.reserve(channels.size());
  byId_.reserve(channels.size());
  for (GuideChannelDay& channel : channels) {
    if (byId_.find(channel.id) != byId_.end()) continue;
    channels_.push_back(std::move(channel));
    byId_.emplace(channels_.back().id, channels_.size() - 1);
  }
  indexEntries();
}

void GuideDayList::indexEntries() {
  size_t entries = 0, chars = 0;
  for (const GuideChannelDay& channel : channels_) {
    entries += channel.entries.size();
    for (const GuideEntry& e : channel.entries) chars += e.starttime.size();
  }
  keyChars_.reserve(chars);
  keys_.reserve(entries);
  runningMax_.reserve(entries);
  firstKey_.reserve(channels_.size());
  for (const GuideChannelDay& channel : channels_) {
    const auto first = static_cast<uint32_t>(keys_.size());
    firstKey_.push_back(first);
    for (const GuideEntry& e : channel.entries) {
      std::u16string_view start = e.starttime;
      start = start.substr(0, start.find(u'\0'));
      keys_.push_back({static_cast<uint32_t>(keyChars_.size()), static_cast<uint32_t>(start.size())});
      keyChars_.insert(keyChars_.end(), start.begin(), start.end());
      const auto self = static_cast<uint32_t>(keys_.size() - 1);
      if (self == first || keyText(runningMax_.back()).compare(start) < 0) runningMax_.push_back(self);
      else runningMax_.push_back(runningMax_.back());
    }
  }
}

size_t GuideDayList::IndexOf(std::u16string_view id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? npos : it->second;
}

const GuideChannelDay* GuideDayList::Find(std::u16string_view id) const {
  const size_t i = IndexOf(id);
  return i == npos ? nullptr : &channels_[i];
}

size_t GuideDayList::FirstStillToCome(size_t channel, std::u16string_view nowKey) const {
  const GuideChannelDay& c = channels_[channel];
  const size_t base = firstKey_[channel];
  size_t low = 0, high = c.entries.size();
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    if (GuideTimeKey::StillToCome(nowKey, c.dayKey, keyText(runningMax_[base + mid]))) high = mid;
    else low = mid + 1;
  }
  return low == c.entries.size() ? npos : low;
}

}  // namespace tembra
