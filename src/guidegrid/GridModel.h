#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "source/ChannelSource.h"
#include "source/GuideSource.h"

namespace tembra {

// What the grid draws, read from the guide as it is needed: one channel's
// programmes of one day at a time, kept in a bounded cache, so a grid of a
// hundred thousand channels costs what its rows in sight cost. Never asks
// the guide to download; the days it found missing are handed to whoever
// may start downloads (takeMissingDays). GUI thread only.
class GridModel {
 public:
  using Day = std::shared_ptr<const std::vector<GuideProgramme>>;
  // A row's programmes over a time range: the days they come from are held
  // so the pointers stay valid while the slice lives.
  struct Slice {
    std::vector<Day> days;
    std::vector<const GuideProgramme*> programmes;  // by start, each once
    bool loading = false;                           // some day of the range is not there yet
  };

  static constexpr size_t kDefaultCacheDays = 4096;
  // Days beyond these are not shown.
  static constexpr int kMaxDays = 31;
  // How far into a day a programme of the day before is looked for.
  static constexpr int64_t kReachBack = 6 * 3600;

  // guide may be null (a source without one): every row is empty.
  GridModel(GuideSource* guide, std::vector<SourceChannelRef> channels, size_t cacheDays = kDefaultCacheDays);

  size_t rowCount() const { return channels_.size(); }
  const SourceChannel& channel(size_t row) const { return *channels_[row]; }
  // The row of a channel id, or -1.
  int rowOf(std::u16string_view id) const;
  // The channel's own number, or its place in the list (from 1).
  int number(size_t row) const;
  GuideSource* guide() const { return guide_; }

  int dayCount() const { return static_cast<int>(dayStarts_.size()) - 1; }
  int64_t dayStart(int day) const;
  // The day holding t, kept within [0, dayCount()).
  int dayOf(int64_t t) const;
  int64_t begin() const { return dayStarts_.front(); }
  int64_t end() const { return dayStarts_.back(); }

  // The row's programmes overlapping [from, to).
  Slice programmes(size_t row, int64_t from, int64_t to);
  // All its programmes of every day.
  Slice all(size_t row) { return programmes(row, begin(), end()); }

  // The guide changed (a download ended, a day began): forget what was read.
  void invalidate();
  // The days found missing since the last call, each once.
  std::vector<int> takeMissingDays();
  size_t cachedDays() const { return cache_.size(); }

 private:
  struct Cached {
    Day programmes;
    bool missing = false;
    std::list<uint64_t>::iterator use;
  };
  Cached& day(size_t row, int d);
  void readDays();

  GuideSource* guide_;
  std::vector<SourceChannelRef> channels_;
  std::unordered_map<std::u16string_view, size_t> rows_;  // keys view channels_' ids
  std::vector<int64_t> dayStarts_;                        // dayCount() + 1 midnights
  size_t cacheDays_;
  std::unordered_map<uint64_t, Cached> cache_;
  std::list<uint64_t> uses_;  // most recent first
  std::vector<bool> missing_;
};

}  // namespace tembra
