#include "guidegrid/GridModel.h"

#include <algorithm>
#include <ctime>

namespace tembra {

namespace {

uint64_t keyOf(size_t row, int day) { return (static_cast<uint64_t>(row) << 8) | static_cast<uint64_t>(day); }

const std::shared_ptr<const std::vector<GuideProgramme>>& emptyDay() {
  static const auto empty = std::make_shared<const std::vector<GuideProgramme>>();
  return empty;
}

}  // namespace

GridModel::GridModel(GuideSource* guide, std::vector<SourceChannelRef> channels, size_t cacheDays)
    : guide_(guide), channels_(std::move(channels)), cacheDays_(std::max<size_t>(cacheDays, 16)) {
  channels_.erase(std::remove(channels_.begin(), channels_.end(), nullptr), channels_.end());
  rows_.reserve(channels_.size());
  for (size_t i = 0; i < channels_.size(); ++i) rows_.emplace(channels_[i]->id, i);
  readDays();
}

void GridModel::readDays() {
  const int count = guide_ != nullptr ? std::clamp(guide_->dayCount(), 1, kMaxDays) : 1;
  dayStarts_.clear();
  for (int d = 0; d <= count; ++d)
    dayStarts_.push_back(guide_ != nullptr ? guide_->dayStart(d)
                                           : GuideSource::localMidnight(static_cast<int64_t>(std::time(nullptr)), d));
  // A guide whose days do not follow one another is read as one day.
  for (size_t d = 1; d < dayStarts_.size(); ++d)
    if (dayStarts_[d] <= dayStarts_[d - 1]) dayStarts_[d] = dayStarts_[d - 1] + 86400;
  missing_.assign(static_cast<size_t>(count), false);
}

int GridModel::rowOf(std::u16string_view id) const {
  auto it = rows_.find(id);
  return it == rows_.end() ? -1 : static_cast<int>(it->second);
}

int GridModel::number(size_t row) const {
  const SourceChannel& c = *channels_[row];
  return c.number ? *c.number : static_cast<int>(row) + 1;
}

int64_t GridModel::dayStart(int day) const {
  return dayStarts_[static_cast<size_t>(std::clamp(day, 0, dayCount()))];
}

int GridModel::dayOf(int64_t t) const {
  auto after = std::upper_bound(dayStarts_.begin(), dayStarts_.end(), t);
  const int day = static_cast<int>(after - dayStarts_.begin()) - 1;
  return std::clamp(day, 0, dayCount() - 1);
}

GridModel::Cached& GridModel::day(size_t row, int d) {
  const uint64_t key = keyOf(row, d);
  auto it = cache_.find(key);
  if (it != cache_.end()) {
    uses_.splice(uses_.begin(), uses_, it->second.use);
    return it->second;
  }
  if (cache_.size() >= cacheDays_) {
    cache_.erase(uses_.back());
    uses_.pop_back();
  }
  Cached entry;
  auto programmes = std::make_shared<std::vector<GuideProgramme>>();
  if (guide_ != nullptr) {
    const int32_t code = guide_->GetDayProgrammes(d, channels_[row]->id, *programmes, true);
    entry.missing = code == GuideSource::kNotLoaded || code == GuideSource::kDownloadStarted;
    if (entry.missing) missing_[static_cast<size_t>(d)] = true;
  }
  entry.programmes = programmes->empty() ? emptyDay() : Day(std::move(programmes));
  uses_.push_front(key);
  entry.use = uses_.begin();
  return cache_.emplace(key, std::move(entry)).first->second;
}

GridModel::Slice GridModel::programmes(size_t row, int64_t from, int64_t to) {
  Slice slice;
  if (row >= channels_.size() || to <= from) return slice;
  // A programme that runs past midnight may be listed only by the day it
  // began: the day before is read too while the range begins early in its
  // day.
  int first = dayOf(from);
  if (first > 0 && from < dayStart(first) + kReachBack) --first;
  const int last = dayOf(to - 1);
  for (int d = first; d <= last; ++d) {
    const Cached& c = day(row, d);
    if (c.missing && dayStart(d + 1) > from && dayStart(d) < to) slice.loading = true;
    if (c.programmes->empty()) continue;
    slice.days.push_back(c.programmes);
    for (const GuideProgramme& p : *c.programmes)
      if (p.stop > from && p.start < to) slice.programmes.push_back(&p);
  }
  std::stable_sort(slice.programmes.begin(), slice.programmes.end(),
                   [](const GuideProgramme* a, const GuideProgramme* b) { return a->start < b->start; });
  // The same programme from two days (it crosses midnight) is drawn once.
  slice.programmes.erase(std::unique(slice.programmes.begin(), slice.programmes.end(),
                                     [](const GuideProgramme* a, const GuideProgramme* b) {
                                       return a->start == b->start && a->stop == b->stop;
                                     }),
                         slice.programmes.end());
  return slice;
}

void GridModel::invalidate() {
  cache_.clear();
  uses_.clear();
  readDays();
}

std::vector<int> GridModel::takeMissingDays() {
  std::vector<int> out;
  for (size_t d = 0; d < missing_.size(); ++d)
    if (missing_[d]) out.push_back(static_cast<int>(d));
  std::fill(missing_.begin(), missing_.end(), false);
  return out;
}

}  // namespace tembra
