#include "source/PlaylistCatalogue.h"

#include <algorithm>

#include "platform/Utf.h"
#include "playlist/CatchupAddress.h"

namespace tembra {

PlaylistCatalogue::PlaylistCatalogue(Playlist playlist) : playlist_(std::move(playlist)) {
  // A group's id is its name: names are what make groups distinct.
  groups_.reserve(playlist_.groups.size());
  for (const std::string& group : playlist_.groups) {
    std::u16string name = fromUtf8(group);
    groups_.push_back({name, name});
  }
  channels_.reserve(playlist_.channels.size());
  for (size_t i = 0; i < playlist_.channels.size(); ++i) {
    const PlaylistChannel& entry = playlist_.channels[i];
    auto channel = std::make_shared<SourceChannel>();
    channel->id = idOf(i);
    channel->name = fromUtf8(entry.name);
    channel->number = entry.number;
    channel->logo = entry.logo;
    if (CatchupAddress::offered(entry)) channel->catchupDays = std::max(0, entry.catchupDays.value_or(0));
    for (const std::string& group : entry.groups) {
      std::u16string id = fromUtf8(group);
      if (channel->groupId.empty()) channel->groupId = id;
      members_[std::move(id)].push_back(static_cast<uint32_t>(i));
    }
    channels_.push_back(std::move(channel));
  }
}

std::u16string PlaylistCatalogue::idOf(size_t index) { return fromUtf8(std::to_string(index)); }

std::optional<size_t> PlaylistCatalogue::indexOf(std::u16string_view id) const {
  if (id.empty() || id.size() > 9 || (id.size() > 1 && id[0] == u'0')) return std::nullopt;
  size_t index = 0;
  for (char16_t c : id) {
    if (c < u'0' || c > u'9') return std::nullopt;
    index = index * 10 + static_cast<size_t>(c - u'0');
  }
  if (index >= channels_.size()) return std::nullopt;
  return index;
}

std::vector<SourceChannelRef> PlaylistCatalogue::channels(std::u16string_view groupId) const {
  if (groupId == ChannelSource::kAllGroups) return channels_;
  std::vector<SourceChannelRef> out;
  auto it = members_.find(std::u16string(groupId));
  if (it == members_.end()) return out;
  out.reserve(it->second.size());
  for (uint32_t index : it->second) out.push_back(channels_[index]);
  return out;
}

SourceChannelRef PlaylistCatalogue::find(std::u16string_view id) const {
  const std::optional<size_t> index = indexOf(id);
  return index ? channels_[*index] : nullptr;
}

const PlaylistChannel* PlaylistCatalogue::entry(std::u16string_view id) const {
  const std::optional<size_t> index = indexOf(id);
  return index ? &playlist_.channels[*index] : nullptr;
}

}  // namespace tembra
