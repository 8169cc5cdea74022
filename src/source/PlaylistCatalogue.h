#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "playlist/Playlist.h"
#include "source/ChannelSource.h"

namespace tembra {

// A parsed playlist as the window lists it: its groups in order of first
// appearance, each channel once with an id that is its place in the file
// ("0", "1", ...), and a group's channels found without a scan. Immutable.
class PlaylistCatalogue {
 public:
  explicit PlaylistCatalogue(Playlist playlist);

  const Playlist& playlist() const { return playlist_; }
  const std::vector<SourceGroup>& groups() const { return groups_; }
  // kAllGroups: every channel.
  std::vector<SourceChannelRef> channels(std::u16string_view groupId) const;
  SourceChannelRef find(std::u16string_view id) const;
  // The playlist entry behind a channel id; null for an unknown id.
  const PlaylistChannel* entry(std::u16string_view id) const;
  size_t size() const { return channels_.size(); }

  static std::u16string idOf(size_t index);
  // The place of a channel id in the playlist; nothing for an unknown id.
  std::optional<size_t> indexOf(std::u16string_view id) const;

 private:
  Playlist playlist_;
  std::vector<SourceChannelRef> channels_;
  std::vector<SourceGroup> groups_;
  std::unordered_map<std::u16string, std::vector<uint32_t>> members_;  // group id -> channel indexes
};

}  // namespace tembra
