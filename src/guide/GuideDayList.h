#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "guide/GuideChannelDay.h"

namespace tembra {

// The programmes of one day for every channel, in reply order, with an index
// by channel id. Built once and never changed afterwards, so that readers
// can share it by pointer while a download builds its successor.
class GuideDayList {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  GuideDayList() = default;
  // A channel whose id is already listed is dropped: the first one wins.
  explicit GuideDayList(std::vector<GuideChannelDay> channels);
  GuideDayList(const GuideDayList&) = delete;
  GuideDayList& operator=(const GuideDayList&) = delete;

  const std::vector<GuideChannelDay>& channels() const { return channels_; }
  bool empty() const { return channels_.empty(); }
  size_t size() const { return channels_.size(); }
  size_t programmeCount() const { return keys_.size(); }
  // The channel with exactly this id (case-sensitive): its index, or npos.
  size_t IndexOf(std::u16string_view id) const;
  const GuideChannelDay* Find(std::u16string_view id) const;

  // Index of the channel's first entry that is still to come at nowKey
  // (see GuideTimeKey), or npos when all have started. The same answer as
  // walking the entries in order, found by a binary search over the
  // running maximum of their start keys: the first entry still to come is
  // where that maximum first reaches the now key.
  size_t FirstStillToCome(size_t channel, std::u16string_view nowKey) const;

 private:
  struct KeySpan {
    uint32_t offset;
    uint32_t length;
  };
  std::u16string_view keyText(size_t key) const {
    return std::u16string_view(keyChars_.data() + keys_[key].offset, keys_[key].length);
  }
  void indexEntries();

  std::vector<GuideChannelDay> channels_;
  // Keys view the ids inside channels_, which never change once built.
  std::unordered_map<std::u16string_view, size_t> byId_;
  // Every entry's starttime up to its first NUL, back to back, so that the
  // searches read contiguous memory; keys_ is in channel and entry order.
  std::vector<char16_t> keyChars_;
  std::vector<KeySpan> keys_;
  std::vector<uint32_t> runningMax_;  // per entry: the greatest key of its channel so far
  std::vector<uint32_t> firstKey_;    // per channel: its first entry in keys_
};

using GuideDayListPtr = std::shared_ptr<const GuideDayList>;

}  // namespace tembra
