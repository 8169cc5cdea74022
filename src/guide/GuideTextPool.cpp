#include "guide/GuideTextPool.h"

#include <functional>

namespace tembra {

uint32_t GuideTextPool::hash(std::u16string_view text) {
  return static_cast<uint32_t>(std::hash<std::u16string_view>()(text));
}

uint32_t GuideTextPool::add(std::u16string_view text) {
  if (text.empty()) return 0;
  if (text.size() > kMaxShared) return store(text);
  if ((tableUsed_ + 1) * 2 > table_.size()) growTable();
  const size_t mask = table_.size() - 1;
  const uint32_t h = hash(text);
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    Slot& slot = table_[i];
    if (slot.ref == 0) {
      const uint32_t ref = store(text);
      if (ref == 0) return 0;
      slot = Slot{h, ref};
      ++tableUsed_;
      return ref;
    }
    if (slot.hash == h && get(slot.ref) == text) return slot.ref;
  }
}

// A text in a chunk is its length (one unit, or two with the top bit set
// for 32,768 units and more) followed by its units.
uint32_t GuideTextPool::store(std::u16string_view text) {
  const size_t header = text.size() < 0x8000u ? 1 : 2;
  const size_t need = header + text.size();
  if (need > kChunkUnits) {
    if (long_.size() >= kLongBit - 1) return 0;
    long_.emplace_back(text);
    return kLongBit | static_cast<uint32_t>(long_.size() - 1);
  }
  if (used_ + need > capacity_) {
    // References are 31 bits: a pool this full takes no more texts (a
    // reply many times larger than its cap would be needed).
    if (chunks_.size() >= kMaxChunks) return 0;
    capacity_ = chunks_.empty() && need <= kFirstChunkUnits ? kFirstChunkUnits : kChunkUnits;
    chunks_.push_back(std::make_unique_for_overwrite<char16_t[]>(capacity_));
    chunkUnits_ += capacity_;
    used_ = 0;
  }
  char16_t* p = chunks_.back().get() + used_;
  const uint32_t ref = static_cast<uint32_t>(((chunks_.size() - 1) << kChunkBits) + used_ + 1);
  if (header == 1) {
    p[0] = static_cast<char16_t>(text.size());
  } else {
    p[0] = static_cast<char16_t>(0x8000u | (text.size() >> 16));
    p[1] = static_cast<char16_t>(text.size() & 0xFFFFu);
  }
  text.copy(p + header, text.size());
  used_ += need;
  return ref;
}

void GuideTextPool::growTable() {
  std::vector<Slot> old(table_.empty() ? 1024 : table_.size() * 2, Slot{0, 0});
  old.swap(table_);
  const size_t mask = table_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.ref == 0) continue;
    size_t i = slot.hash & mask;
    while (table_[i].ref != 0) i = (i + 1) & mask;
    table_[i] = slot;
  }
}

void GuideTextPool::Seal() {
  std::vector<Slot>().swap(table_);
  tableUsed_ = 0;
}

size_t GuideTextPool::memoryBytes() const {
  size_t bytes = table_.capacity() * sizeof(Slot) + chunkUnits_ * sizeof(char16_t);
  for (const std::u16string& s : long_) bytes += s.capacity() * sizeof(char16_t);
  return bytes;
}

}  // namespace tembra
