#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xmltv/XmltvPlaylistChannel.h"

namespace tembra {

// Finds the playlist channels a guide channel stands for, through hash
// maps built once from the playlist. The rules, strongest first: the
// guide channel's id equals the tvg-id; equals it ignoring case; one of
// its display names equals the tvg-name ignoring case; one equals the
// channel's name ignoring case. Case is ignored by full Unicode folding.
class XmltvChannelMatcher {
 public:
  enum Rule : uint8_t { IdExact = 0, IdFolded = 1, TvgName = 2, Name = 3, NoMatch = 4 };

  explicit XmltvChannelMatcher(const std::vector<XmltvPlaylistChannel>& channels);

  // Calls found(playlistIndex, rule) for each playlist channel whose tvg-id
  // is this id (IdExact) or is it ignoring case (IdFolded, only for
  // channels not matched exactly).
  template <typename Found>
  void forId(std::string_view id, Found&& found) const {
    if (id.empty()) return;
    if (auto it = exactId_.find(id); it != exactId_.end()) {
      for (uint32_t i = it->second; i != kEnd; i = exactNext_[i]) found(i, IdExact);
    }
    const std::string folded = foldedKey(id);
    if (auto it = foldedId_.find(folded); it != foldedId_.end()) {
      for (uint32_t i = it->second; i != kEnd; i = foldedIdNext_[i]) {
        if (channels_[i].tvgId != id) found(i, IdFolded);
      }
    }
  }

  // Calls found(playlistIndex, rule) for each playlist channel whose
  // tvg-name (TvgName) or name (Name) is this display name ignoring case.
  template <typename Found>
  void forDisplayName(std::string_view displayName, Found&& found) const {
    const std::string folded = foldedKey(displayName);
    if (folded.empty()) return;
    if (auto it = tvgName_.find(folded); it != tvgName_.end()) {
      for (uint32_t i = it->second; i != kEnd; i = tvgNameNext_[i]) found(i, TvgName);
    }
    if (auto it = name_.find(folded); it != name_.end()) {
      for (uint32_t i = it->second; i != kEnd; i = nameNext_[i]) found(i, Name);
    }
  }

  size_t size() const { return channels_.size(); }
  const XmltvPlaylistChannel& channel(size_t i) const { return channels_[i]; }

 private:
  static constexpr uint32_t kEnd = UINT32_MAX;

  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  using Index = std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>>;

  static std::string foldedKey(std::string_view text);
  // Adds channel i under key; chains channels sharing a key in file order.
  static void add(Index& index, std::vector<uint32_t>& next, std::vector<uint32_t>& last, std::string key,
                  uint32_t i);

  std::vector<XmltvPlaylistChannel> channels_;
  Index exactId_, foldedId_, tvgName_, name_;
  std::vector<uint32_t> exactNext_, foldedIdNext_, tvgNameNext_, nameNext_;
};

}  // namespace tembra
