#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tembra {

// The element position records of a document, in pages of 65,536 so that
// growing never moves a full page. Record 0 stands for the document itself.
//
// The capacity is sized for (text length / 64) + 8 records and grows by
// half when full. Memory is taken a page at a time as records are added;
// full pages are 2 MiB aligned and marked for huge pages, so that a large
// document does not pay one page fault per 4 KiB of records. A capacity
// below a quarter page lives in one smaller page, copied when it grows.
//
// Packed fields have overflow tables: a start tag of 4 Mi characters or
// more, an end tag of 1,024 or more and a level of 65,535 or more keep their
// true value beside the record, so no field ever wraps into its neighbour.
//
// The number of records is capped (64 Mi by default, 2 GiB of records) so
// that a hostile text cannot make the index grow without bound; Add()
// returns 0 at the cap.
class XmlElementIndex {
 public:
  static constexpr uint32_t kPageBits = 16;
  static constexpr uint32_t kPageSize = 1u << kPageBits;
  static constexpr uint32_t kDefaultMaxRecords = 64u << 20;

  static constexpr uint32_t kStartTagMask = (1u << 22) - 1;
  static constexpr uint32_t kEndTagMax = (1u << 10) - 1;
  static constexpr uint32_t kLevelMax = 0xFFFF;
  static constexpr uint32_t kFlagMask = 0xFFFF0000u;

  struct Record {
    uint32_t start;
    uint32_t length;
    uint32_t tagLengths;  // startTagLength (22 bits) | endTagLength << 22
    uint32_t levelFlags;  // level (16 bits) | flags
    uint32_t parent;
    uint32_t firstChild;
    uint32_t nextSibling;
    uint32_t prevSibling;
  };
  static_assert(sizeof(Record) == 32);

  explicit XmlElementIndex(uint32_t maxRecords = kDefaultMaxRecords);

  // Sizes the array for a text of textLength characters and leaves only
  // record 0 in use, holding the text length. Keeps the pages it has when
  // they are not far more than needed. May throw std::bad_alloc.
  void Reset(uint32_t textLength);
  // Drops every record but an empty record 0 and frees the pages.
  void Clear();

  // Index of a fresh record with every field zero, or 0 at the cap.
  // May throw std::bad_alloc.
  uint32_t Add() {
    const uint32_t i = AddUnset();
    if (i != 0) (*this)[i] = Record{};
    return i;
  }
  // As Add, but the caller sets every field of the record.
  uint32_t AddUnset() {
    if (count_ == capacity_ && !Grow()) return 0;
    if (count_ == physical_) AddPhysical();
    return count_++;
  }

  Record& operator[](uint32_t i) { return pages_[i >> kPageBits][i & (kPageSize - 1)]; }
  const Record& operator[](uint32_t i) const { return pages_[i >> kPageBits][i & (kPageSize - 1)]; }

  uint32_t Count() const { return count_; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t MaxRecords() const { return maxRecords_; }

  uint32_t StartTagLength(uint32_t i) const;
  uint32_t EndTagLength(uint32_t i) const;
  uint32_t Level(uint32_t i) const;
  uint32_t Flags(uint32_t i) const { return (*this)[i].levelFlags & kFlagMask; }

  void SetStartTagLength(uint32_t i, uint32_t n);
  void SetEndTagLength(uint32_t i, uint32_t n);
  void SetLevel(uint32_t i, uint32_t level);

 private:
  struct PageDeleter {
    bool full;
    void operator()(Record* p) const;
  };
  using Page = std::unique_ptr<Record[], PageDeleter>;
  static Page NewPage(uint32_t size);

  bool Grow();
  void AddPhysical();
  void DropPages();

  std::vector<Page> pages_;
  uint32_t physical_ = 0;  // records addressable in pages_; all pages but a lone first one are full
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
  uint32_t maxRecords_;
  std::unordered_map<uint32_t, uint32_t> longStartTags_;
  std::unordered_map<uint32_t, uint32_t> longEndTags_;
  std::unordered_map<uint32_t, uint32_t> deepLevels_;
};

}  // namespace tembra
