#pragma once
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
  GuideDayList() = default;
  // A channel whose id is already listed is dropped: the first one wins.
  explicit GuideDayList(std::vector<GuideChannelDay> channels);
  GuideDayList(const GuideDayList&) = delete;
  GuideDayList& operator=(const GuideDayList&) = delete;

  const std::vector<GuideChannelDay>& channels() const { return channels_; }
  bool empty() const { return channels_.empty(); }
  size_t size() const { return channels_.size(); }
  size_t programmeCount() const;
  // The channel with exactly this id (case-sensitive), or null.
  const GuideChannelDay* Find(std::u16string_view id) const;

 private:
  std::vector<GuideChannelDay> channels_;
  // Keys view the ids inside channels_, which never change once built.
  std::unordered_map<std::u16string_view, size_t> byId_;
};

using GuideDayListPtr = std::shared_ptr<const GuideDayList>;

}  // namespace tembra
