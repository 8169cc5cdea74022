#include "xml/XmlElementIndex.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace tembra {

namespace {

constexpr size_t kPageBytes = size_t(XmlElementIndex::kPageSize) * sizeof(XmlElementIndex::Record);
constexpr std::align_val_t kPageAlign{kPageBytes};
constexpr uint32_t kSmallPage = XmlElementIndex::kPageSize / 4;

}  // namespace

void XmlElementIndex::PageDeleter::operator()(Record* p) const {
  if (full) {
    ::operator delete(p, kPageAlign);
  } else {
    delete[] p;
  }
}

XmlElementIndex::Page XmlElementIndex::NewPage(uint32_t size) {
  if (size == kPageSize) {
    auto* p = static_cast<Record*>(::operator new(kPageBytes, kPageAlign));
#if defined(MADV_HUGEPAGE)
    ::madvise(p, kPageBytes, MADV_HUGEPAGE);
#endif
    return Page(p, PageDeleter{true});
  }
  return Page(new Record[size], PageDeleter{false});
}

XmlElementIndex::XmlElementIndex(uint32_t maxRecords) : maxRecords_(std::max<uint32_t>(maxRecords, 1)) {
  Clear();
}

void XmlElementIndex::DropPages() {
  pages_.clear();
  physical_ = 0;
  count_ = 0;
  longStartTags_.clear();
  longEndTags_.clear();
  deepLevels_.clear();
}

void XmlElementIndex::Clear() {
  DropPages();
  Reset(0);
}

// Pages already in hand are kept when they are not far more than the new
// text needs: a document parsed again then writes to memory it has touched
// before instead of faulting in fresh pages.
void XmlElementIndex::Reset(uint32_t textLength) {
  capacity_ = std::min<uint32_t>(textLength / 64 + 8, maxRecords_);
  if (pages_.empty() || physical_ > 2 * uint64_t(capacity_) + kPageSize ||
      (pages_.size() == 1 && physical_ < std::min(capacity_, kPageSize))) {
    DropPages();
  } else {
    count_ = 0;
    longStartTags_.clear();
    longEndTags_.clear();
    deepLevels_.clear();
  }
  if (physical_ == 0) AddPhysical();
  (*this)[0] = Record{};
  (*this)[0].length = textLength;
  count_ = 1;
}

// Makes record count_ addressable. A lone first page smaller than a full
// one is replaced by one sized for the capacity (at most a quarter page is
// copied); otherwise a full page is added and nothing moves.
void XmlElementIndex::AddPhysical() {
  if (pages_.empty() || (pages_.size() == 1 && physical_ < kPageSize)) {
    const uint32_t size = capacity_ <= kSmallPage ? capacity_ : kPageSize;
    Page page = NewPage(size);
    if (!pages_.empty()) std::copy(pages_[0].get(), pages_[0].get() + count_, page.get());
    pages_.clear();
    pages_.push_back(std::move(page));
    physical_ = size;
    return;
  }
  pages_.push_back(NewPage(kPageSize));
  physical_ += kPageSize;
}

// Grows the capacity by half; memory follows in AddPhysical as records
// are added.
bool XmlElementIndex::Grow() {
  if (capacity_ >= maxRecords_) return false;
  const uint32_t step = std::max<uint32_t>(capacity_ / 2, 8);
  capacity_ = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(capacity_) + step, maxRecords_));
  return true;
}

uint32_t XmlElementIndex::StartTagLength(uint32_t i) const {
  const uint32_t v = (*this)[i].tagLengths & kStartTagMask;
  if (v != kStartTagMask) return v;
  auto it = longStartTags_.find(i);
  return it == longStartTags_.end() ? v : it->second;
}

uint32_t XmlElementIndex::EndTagLength(uint32_t i) const {
  const uint32_t v = (*this)[i].tagLengths >> 22;
  if (v != kEndTagMax) return v;
  auto it = longEndTags_.find(i);
  return it == longEndTags_.end() ? v : it->second;
}

uint32_t XmlElementIndex::Level(uint32_t i) const {
  const uint32_t v = (*this)[i].levelFlags & kLevelMax;
  if (v != kLevelMax) return v;
  auto it = deepLevels_.find(i);
  return it == deepLevels_.end() ? v : it->second;
}

void XmlElementIndex::SetStartTagLength(uint32_t i, uint32_t n) {
  Record& r = (*this)[i];
  if (n >= kStartTagMask) {
    longStartTags_[i] = n;
    n = kStartTagMask;
  }
  r.tagLengths = (r.tagLengths & ~kStartTagMask) | n;
}

void XmlElementIndex::SetEndTagLength(uint32_t i, uint32_t n) {
  Record& r = (*this)[i];
  if (n >= kEndTagMax) {
    longEndTags_[i] = n;
    n = kEndTagMax;
  }
  r.tagLengths = (r.tagLengths & kStartTagMask) | (n << 22);
}

void XmlElementIndex::SetLevel(uint32_t i, uint32_t level) {
  Record& r = (*this)[i];
  if (level >= kLevelMax) {
    deepLevels_[i] = level;
    level = kLevelMax;
  } else if (!deepLevels_.empty()) {
    deepLevels_.erase(i);
  }
  r.levelFlags = (r.levelFlags & kFlagMask) | level;
}

}  // namespace tembra
