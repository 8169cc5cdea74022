#include "guide/GuideDayList.h"

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
}

size_t GuideDayList::programmeCount() const {
  size_t n = 0;
  for (const GuideChannelDay& channel : channels_) n += channel.entries.size();
  return n;
}

const GuideChannelDay* GuideDayList::Find(std::u16string_view id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : &channels_[it->second];
}

}  // namespace tembra
