#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "guide/GuideChannelDay.h"
#include "guide/GuideEntry.h"
#include "guide/GuideTextPool.h"

namespace tembra {

// The programmes of one day for every channel, in reply order, with an index
// by channel id. Built once and never changed afterwards, so that readers
// can share it by pointer while a download builds its successor.
//
// A day of a large service holds hundreds of thousands of programmes, so
// they are kept packed: every text once in a pool, a programme as four
// references. Rows, which the window asks for a few at a time, are made
// from them as values (entry(), channels()).
class GuideDayList {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  // Adds channels and their programmes in reply order.
  class Builder {
   public:
    explicit Builder(std::u16string dayKey);
    Builder(Builder&&) noexcept;
    Builder& operator=(Builder&&) noexcept;
    ~Builder();

    bool HasChannel(std::u16string_view id) const;
    // Starts a channel. False when its id is listed already: the first one
    // wins, and the entries added until the next channel are dropped.
    bool AddChannel(std::u16string_view id, std::u16string_view name);
    void AddEntry(std::u16string_view title, std::u16string_view startdate, std::u16string_view enddate,
                  std::u16string_view starttime);
    size_t channelCount() const;
    std::unique_ptr<GuideDayList> Build();

   private:
    std::unique_ptr<GuideDayList> list_;
    bool dropping_ = false;  // the channel being added repeats an id
  };

  GuideDayList() = default;
  // A channel whose id is already listed is dropped: the first one wins.
  // The day key is the first channel's.
  explicit GuideDayList(std::vector<GuideChannelDay> channels);
  GuideDayList(const GuideDayList&) = delete;
  GuideDayList& operator=(const GuideDayList&) = delete;

  bool empty() const { return channels_.empty(); }
  size_t size() const { return channels_.size(); }
  size_t programmeCount() const { return entries_.size(); }
  // "%02d" day of month the time keys of this list are built on.
  const std::u16string& dayKey() const { return dayKey_; }

  std::u16string_view id(size_t channel) const { return pool_.get(channels_[channel].id); }
  std::u16string_view name(size_t channel) const { return pool_.get(channels_[channel].name); }
  size_t entryCount(size_t channel) const { return channels_[channel].entryCount; }
  GuideEntry entry(size_t channel, size_t index) const;

  // The channel with exactly this id (case-sensitive): its index, or npos.
  size_t IndexOf(std::u16string_view id) const;
  // Copies of the channels, for tools and checks; the window's lists use
  // the accessors above.
  std::optional<GuideChannelDay> Find(std::u16string_view id) const;
  GuideChannelDay channel(size_t index) const;
  std::vector<GuideChannelDay> channels() const;

  // Index of the channel's first entry that is still to come at nowKey
  // (see GuideTimeKey), or npos when all have started. The same answer as
  // walking the entries in order, found by a binary search over the
  // running maximum of their start keys: the first entry still to come is
  // where that maximum first reaches the now key.
  size_t FirstStillToCome(size_t channel, std::u16string_view nowKey) const;

  // Bytes this list holds, for the measurements.
  size_t memoryBytes() const;

 private:
  struct Channel {
    uint32_t id;
    uint32_t name;
    uint32_t firstEntry;
    uint32_t entryCount;
  };
  struct Entry {
    uint32_t title;
    uint32_t startdate;
    uint32_t enddate;
    uint32_t starttime;
  };

  // A start time as the keys compare it: up to its first NUL.
  std::u16string_view keyOf(uint32_t entry) const;
  void finish();

  std::u16string dayKey_;
  GuideTextPool pool_;
  std::vector<Channel> channels_;
  std::vector<Entry> entries_;
  // Keys view the ids inside pool_, whose texts never move.
  std::unordered_map<std::u16string_view, uint32_t> byId_;
  // Per entry: the entry of its channel so far with the greatest key.
  std::vector<uint32_t> runningMax_;
};

using GuideDayListPtr = std::shared_ptr<const GuideDayList>;

}  // namespace tembra
