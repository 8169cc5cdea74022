#include "xmltv/XmltvGuideCollector.h"

#include <algorithm>

#include "xmltv/Utf8Clean.h"
#include "xmltv/XmltvTime.h"

namespace tembra {

XmltvGuideCollector::XmltvGuideCollector(const XmltvChannelMatcher* matcher, const std::vector<uint8_t>& settled,
                                         const XmltvWindow& window, TextPool& pool)
    : matcher_(matcher), settled_(settled), window_(window), pool_(pool) {
  if (matcher_) best_.resize(matcher_->size());
}

int32_t XmltvGuideCollector::newSlot(std::string_view id) {
  slots_.emplace_back();
  // Stored well-formed like every text; the raw id stays the lookup key.
  Utf8Clean::append(slots_.back().id, id);
  return static_cast<int32_t>(slots_.size() - 1);
}

void XmltvGuideCollector::offer(uint32_t p, uint8_t rule, int32_t slot) {
  Slot& s = slots_[static_cast<size_t>(slot)];
  const int64_t shift = XmltvTime::shiftSeconds(matcher_->channel(p).shift);
  s.widen = std::max(s.widen, shift < 0 ? -shift : shift);
  // A stronger rule wins; of equal ones, the guide channel seen first.
  if (rule < best_[p].rule) best_[p] = Best{rule, slot};
}

int32_t XmltvGuideCollector::slotForId(std::string_view id) {
  if (auto it = ids_.find(id); it != ids_.end()) return it->second;
  if (id.empty()) return kUnwanted;
  int32_t slot = kUnwanted;
  if (!matcher_) {
    if (slots_.size() < kMaxIds) slot = newSlot(id);
  } else {
    matcher_->forId(id, [&](uint32_t p, uint8_t rule) {
      if (settled_[p]) return;
      if (slot == kUnwanted) slot = newSlot(id);
      offer(p, rule, slot);
    });
  }
  // Ids nobody wants are remembered too, up to a bound, so that their
  // programmes cost one lookup each.
  if (slot != kUnwanted || ids_.size() < kMaxIds) ids_.emplace(std::string(id), slot);
  return slot;
}

void XmltvGuideCollector::channel(std::string_view id, const std::vector<std::string>& displayNames,
                                  size_t count) {
  int32_t slot = slotForId(id);
  if (!matcher_ || id.empty()) return;
  for (size_t k = 0; k < count && k < displayNames.size(); ++k) {
    matcher_->forDisplayName(displayNames[k], [&](uint32_t p, uint8_t rule) {
      if (settled_[p]) return;
      if (slot == kUnwanted) {
        slot = newSlot(id);
        ids_.insert_or_assign(std::string(id), slot);
      }
      offer(p, rule, slot);
    });
  }
}

XmltvGuideCollector::Admission XmltvGuideCollector::admit(int32_t slot, int64_t start, std::optional<int64_t> stop) {
  Slot& s = slots_[static_cast<size_t>(slot)];
  Admission how = Admission::Keep;
  if (!window_.keepAll) {
    const int64_t lo = window_.begin() - s.widen;
    const int64_t hi = window_.end() + s.widen;
    if (start >= hi) {
      s.earliestAfter = std::min(s.earliestAfter, start);
      return Admission::Drop;
    }
    if (start < lo) {
      const bool latest = start >= s.latestBefore;
      s.latestBefore = std::max(s.latestBefore, start);
      if (stop) {
        if (*stop <= lo) return Admission::Drop;
      } else {
        if (!latest) return Admission::Drop;
        how = Admission::Carry;
      }
    }
  }
  if (how == Admission::Keep && (kept_ >= kMaxProgrammes || s.programmes.size() >= kMaxPerChannel)) {
    overCap_ = true;
    return Admission::Drop;
  }
  return how;
}

StoredProgramme XmltvGuideCollector::store(const ParsedProgramme& p) {
  StoredProgramme s;
  s.start = p.start;
  s.stop = p.stop ? *p.stop : kNoStop;
  // Titles, categories, episode marks and pictures repeat across a guide;
  // descriptions seldom do.
  s.title = pool_.addShared(p.title);
  s.desc = pool_.add(p.desc);
  s.category = pool_.addShared(p.category);
  s.episode = pool_.addShared(p.episode);
  s.icon = pool_.addShared(p.icon);
  return s;
}

void XmltvGuideCollector::keep(int32_t slot, const ParsedProgramme& p, Admission how) {
  Slot& s = slots_[static_cast<size_t>(slot)];
  if (how == Admission::Carry) {
    s.carried = true;
    s.carry.start = p.start;
    s.carry.title = p.title;
    s.carry.desc = p.desc;
    s.carry.category = p.category;
    s.carry.episode = p.episode;
    s.carry.icon = p.icon;
    return;
  }
  if (how != Admission::Keep) return;
  s.programmes.push_back(store(p));
  ++kept_;
}

void XmltvGuideCollector::finalize(Slot& slot, std::vector<StoredProgramme>& out) {
  std::vector<StoredProgramme>& list = slot.programmes;
  if (slot.carried && slot.carry.start == slot.latestBefore) {
    ParsedProgramme p;
    p.start = slot.carry.start;
    p.title = slot.carry.title;
    p.desc = slot.carry.desc;
    p.category = slot.carry.category;
    p.episode = slot.carry.episode;
    p.icon = slot.carry.icon;
    list.push_back(store(p));
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const StoredProgramme& a, const StoredProgramme& b) { return a.start < b.start; });
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].stop != kNoStop) continue;
    // Ends where the next one (by start) starts; one starting at the same
    // moment is no end to it.
    size_t j = i + 1;
    while (j < list.size() && list[j].start == list[i].start) ++j;
    if (j < list.size()) {
      list[i].stop = list[j].start;
    } else if (slot.earliestAfter != INT64_MAX) {
      list[i].stop = slot.earliestAfter;
    } else {
      list[i].stop = list[i].start + kOpenEndSeconds;
    }
  }
  if (!window_.keepAll) {
    const int64_t lo = window_.begin() - slot.widen;
    const int64_t hi = window_.end() + slot.widen;
    std::erase_if(list, [&](const StoredProgramme& s) { return s.stop <= lo || s.start >= hi; });
  }
  list.shrink_to_fit();
  out = std::move(list);
}

size_t XmltvGuideCollector::commit(XmltvStore& store, std::vector<uint8_t>& settled) {
  std::vector<int32_t> placed(slots_.size(), -1);
  kept_ = 0;
  auto place = [&](size_t slot) {
    if (placed[slot] < 0) {
      placed[slot] = static_cast<int32_t>(store.channels_.size());
      store.channels_.emplace_back();
      XmltvStore::Channel& c = store.channels_.back();
      c.id = std::move(slots_[slot].id);
      finalize(slots_[slot], c.programmes);
      kept_ += c.programmes.size();
    }
    return placed[slot];
  };
  if (!matcher_) {
    for (size_t s = 0; s < slots_.size(); ++s) place(s);
    return 0;
  }
  size_t matched = 0;
  for (size_t p = 0; p < best_.size(); ++p) {
    if (settled[p] || best_[p].slot < 0) continue;
    settled[p] = 1;
    store.playlistChannel_[p] = place(static_cast<size_t>(best_[p].slot));
    ++matched;
  }
  return matched;
}

}  // namespace tembra
