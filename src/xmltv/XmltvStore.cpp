#include "xmltv/XmltvStore.h"

#include <algorithm>

namespace tembra {

namespace {

// Index past the last programme that starts at or before t.
size_t pastStartsUpTo(const std::vector<StoredProgramme>& list, int64_t t) {
  return static_cast<size_t>(
      std::upper_bound(list.begin(), list.end(), t, [](int64_t v, const StoredProgramme& s) { return v < s.start; }) -
      list.begin());
}

}  // namespace

int32_t XmltvStore::channelOf(size_t p) const { return p < playlistChannel_.size() ? playlistChannel_[p] : -1; }

std::string_view XmltvStore::matchedId(size_t p) const {
  const int32_t g = channelOf(p);
  return g < 0 ? std::string_view() : std::string_view(channels_[static_cast<size_t>(g)].id);
}

int64_t XmltvStore::shiftOf(size_t p) const { return p < playlistShift_.size() ? playlistShift_[p] : 0; }

XmltvProgramme XmltvStore::view(const StoredProgramme& s, int64_t shift) const {
  XmltvProgramme p;
  p.start = s.start + shift;
  p.stop = s.stop + shift;
  p.title = pool_.get(s.title);
  p.desc = pool_.get(s.desc);
  p.category = pool_.get(s.category);
  p.episode = pool_.get(s.episode);
  p.icon = pool_.get(s.icon);
  return p;
}

std::optional<XmltvProgramme> XmltvStore::channelNow(size_t g, int64_t at, int64_t shift) const {
  if (g >= channels_.size()) return std::nullopt;
  const auto& list = channels_[g].programmes;
  const int64_t t = at - shift;
  // Walking back from the last one started: the first still running is
  // the one that started last (of equal starts, the later in the guide).
  for (size_t i = pastStartsUpTo(list, t); i-- > 0;) {
    if (list[i].stop > t) return view(list[i], shift);
  }
  return std::nullopt;
}

std::optional<XmltvProgramme> XmltvStore::channelNext(size_t g, int64_t at, int64_t shift) const {
  if (g >= channels_.size()) return std::nullopt;
  const auto& list = channels_[g].programmes;
  size_t i = pastStartsUpTo(list, at - shift);
  if (i == list.size()) return std::nullopt;
  // Of several starting at that moment, the one that will be on: the last.
  while (i + 1 < list.size() && list[i + 1].start == list[i].start) ++i;
  return view(list[i], shift);
}

std::vector<XmltvProgramme> XmltvStore::channelDay(size_t g, int d, int64_t shift) const {
  std::vector<XmltvProgramme> out;
  if (g >= channels_.size() || d < 0 || d >= XmltvWindow::kDays) return out;
  const int64_t from = window_.dayStart[static_cast<size_t>(d)] - shift;
  const int64_t to = window_.dayStart[static_cast<size_t>(d) + 1] - shift;
  for (const StoredProgramme& s : channels_[g].programmes) {
    if (s.start >= to) break;
    if (s.stop > from) out.push_back(view(s, shift));
  }
  return out;
}

std::optional<XmltvProgramme> XmltvStore::now(size_t p, int64_t at) const {
  const int32_t g = channelOf(p);
  if (g < 0) return std::nullopt;
  return channelNow(static_cast<size_t>(g), at, playlistShift_[p]);
}

std::optional<XmltvProgramme> XmltvStore::next(size_t p, int64_t at) const {
  const int32_t g = channelOf(p);
  if (g < 0) return std::nullopt;
  return channelNext(static_cast<size_t>(g), at, playlistShift_[p]);
}

std::vector<XmltvProgramme> XmltvStore::day(size_t p, int d) const {
  const int32_t g = channelOf(p);
  if (g < 0) return {};
  return channelDay(static_cast<size_t>(g), d, playlistShift_[p]);
}

size_t XmltvStore::programmeCount() const {
  size_t n = 0;
  for (const Channel& c : channels_) n += c.programmes.size();
  return n;
}

size_t XmltvStore::memoryBytes() const {
  size_t n = pool_.memoryBytes() + channels_.capacity() * sizeof(Channel) +
             playlistChannel_.capacity() * sizeof(int32_t) + playlistShift_.capacity() * sizeof(int64_t);
  for (const Channel& c : channels_) n += c.programmes.capacity() * sizeof(StoredProgramme) + c.id.capacity();
  return n;
}

}  // namespace tembra
