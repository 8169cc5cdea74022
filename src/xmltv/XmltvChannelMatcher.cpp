#include "xmltv/XmltvChannelMatcher.h"

#include "xmltv/CaseFold.h"

namespace tembra {

std::string XmltvChannelMatcher::foldedKey(std::string_view text) { return CaseFold::fold(text); }

void XmltvChannelMatcher::add(Index& index, std::vector<uint32_t>& next, std::vector<uint32_t>& last,
                              std::string key, uint32_t i) {
  if (key.empty()) return;
  auto [it, inserted] = index.try_emplace(std::move(key), i);
  if (!inserted) next[last[it->second]] = i;
  // last[] is indexed by the chain's head: where the next one is linked.
  last[it->second] = i;
}

XmltvChannelMatcher::XmltvChannelMatcher(const std::vector<XmltvPlaylistChannel>& channels)
    : channels_(channels) {
  const size_t n = channels_.size();
  exactNext_.assign(n, kEnd);
  foldedIdNext_.assign(n, kEnd);
  tvgNameNext_.assign(n, kEnd);
  nameNext_.assign(n, kEnd);
  std::vector<uint32_t> exactLast(n), foldedLast(n), tvgNameLast(n), nameLast(n);
  exactId_.reserve(n);
  foldedId_.reserve(n);
  tvgName_.reserve(n);
  name_.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const XmltvPlaylistChannel& c = channels_[i];
    if (!c.tvgId.empty()) {
      add(exactId_, exactNext_, exactLast, c.tvgId, i);
      add(foldedId_, foldedIdNext_, foldedLast, CaseFold::fold(c.tvgId), i);
    }
    add(tvgName_, tvgNameNext_, tvgNameLast, CaseFold::fold(c.tvgName), i);
    add(name_, nameNext_, nameLast, CaseFold::fold(c.name), i);
  }
}

}  // namespace tembra
