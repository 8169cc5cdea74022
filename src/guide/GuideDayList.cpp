#include "guide/GuideDayList.h"

#include "guide/GuideTimeKey.h"

namespace tembra {

GuideDayList::Builder::Builder(std::u16string dayKey) : list_(std::make_unique<GuideDayList>()) {
  list_->dayKey_ = std::move(dayKey);
}

GuideDayList::Builder::Builder(Builder&&) noexcept = default;
GuideDayList::Builder& GuideDayList::Builder::operator=(Builder&&) noexcept = default;
GuideDayList::Builder::~Builder() = default;

bool GuideDayList::Builder::HasChannel(std::u16string_view id) const {
  return list_->byId_.find(id) != list_->byId_.end();
}

bool GuideDayList::Builder::AddChannel(std::u16string_view id, std::u16string_view name) {
  GuideDayList& l = *list_;
  dropping_ = HasChannel(id);
  if (dropping_) return false;
  const uint32_t idRef = l.pool_.add(id);
  l.channels_.push_back({idRef, l.pool_.add(name), static_cast<uint32_t>(l.entries_.size()), 0});
  l.byId_.emplace(l.pool_.get(idRef), static_cast<uint32_t>(l.channels_.size() - 1));
  return true;
}

void GuideDayList::Builder::AddEntry(std::u16string_view title, std::u16string_view startdate,
                                     std::u16string_view enddate, std::u16string_view starttime) {
  GuideDayList& l = *list_;
  if (dropping_ || l.channels_.empty()) return;
  // A programme's dates are nearly always the one before's.
  auto ref = [&l](std::u16string_view text, uint32_t before) {
    return before != 0 && l.pool_.get(before) == text ? before : l.pool_.add(text);
  };
  const Entry last = l.entries_.empty() ? Entry{0, 0, 0, 0} : l.entries_.back();
  l.entries_.push_back(
      {l.pool_.add(title), ref(startdate, last.startdate), ref(enddate, last.enddate), l.pool_.add(starttime)});
  ++l.channels_.back().entryCount;
}

size_t GuideDayList::Builder::channelCount() const { return list_->channels_.size(); }

std::unique_ptr<GuideDayList> GuideDayList::Builder::Build() {
  std::unique_ptr<GuideDayList> built = std::move(list_);
  list_ = std::make_unique<GuideDayList>();
  list_->dayKey_ = built->dayKey_;
  dropping_ = false;
  built->finish();
  return built;
}

GuideDayList::GuideDayList(std::vector<GuideChannelDay> channels) {
  Builder builder(channels.empty() ? std::u16string() : channels.front().dayKey);
  for (const GuideChannelDay& c : channels) {
    if (!builder.AddChannel(c.id, c.name)) continue;
    for (const GuideEntry& e : c.entries) builder.AddEntry(e.title, e.startdate, e.enddate, e.starttime);
  }
  std::unique_ptr<GuideDayList> built = builder.Build();
  dayKey_ = std::move(built->dayKey_);
  pool_ = std::move(built->pool_);
  channels_ = std::move(built->channels_);
  entries_ = std::move(built->entries_);
  byId_ = std::move(built->byId_);
  runningMax_ = std::move(built->runningMax_);
}

std::u16string_view GuideDayList::keyOf(uint32_t entry) const {
  const std::u16string_view start = pool_.get(entries_[entry].starttime);
  return start.substr(0, start.find(u'\0'));
}

void GuideDayList::finish() {
  pool_.Seal();
  channels_.shrink_to_fit();
  entries_.shrink_to_fit();
  runningMax_.clear();
  runningMax_.reserve(entries_.size());
  for (const Channel& c : channels_) {
    for (uint32_t e = c.firstEntry; e < c.firstEntry + c.entryCount; ++e) {
      if (e == c.firstEntry || keyOf(runningMax_.back()).compare(keyOf(e)) < 0) runningMax_.push_back(e);
      else runningMax_.push_back(runningMax_.back());
    }
  }
}

GuideEntry GuideDayList::entry(size_t channel, size_t index) const {
  const Entry& e = entries_[channels_[channel].firstEntry + index];
  return GuideEntry{std::u16string(pool_.get(e.title)), std::u16string(pool_.get(e.startdate)),
                    std::u16string(pool_.get(e.enddate)), std::u16string(pool_.get(e.starttime))};
}

size_t GuideDayList::IndexOf(std::u16string_view id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? npos : it->second;
}

GuideChannelDay GuideDayList::channel(size_t index) const {
  GuideChannelDay c;
  c.id = std::u16string(id(index));
  c.name = std::u16string(name(index));
  c.dayKey = dayKey_;
  c.entries.reserve(entryCount(index));
  for (size_t e = 0; e < entryCount(index); ++e) c.entries.push_back(entry(index, e));
  return c;
}

std::optional<GuideChannelDay> GuideDayList::Find(std::u16string_view id) const {
  const size_t i = IndexOf(id);
  if (i == npos) return std::nullopt;
  return channel(i);
}

std::vector<GuideChannelDay> GuideDayList::channels() const {
  std::vector<GuideChannelDay> out;
  out.reserve(channels_.size());
  for (size_t c = 0; c < channels_.size(); ++c) out.push_back(channel(c));
  return out;
}

size_t GuideDayList::FirstStillToCome(size_t channel, std::u16string_view nowKey) const {
  const Channel& c = channels_[channel];
  size_t low = 0, high = c.entryCount;
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    if (GuideTimeKey::StillToCome(nowKey, dayKey_, keyOf(runningMax_[c.firstEntry + mid]))) high = mid;
    else low = mid + 1;
  }
  return low == c.entryCount ? npos : low;
}

size_t GuideDayList::memoryBytes() const {
  return pool_.memoryBytes() + channels_.capacity() * sizeof(Channel) + entries_.capacity() * sizeof(Entry) +
         runningMax_.capacity() * sizeof(uint32_t) + byId_.size() * (sizeof(void*) * 2 + sizeof(std::u16string_view) + 8) +
         byId_.bucket_count() * sizeof(void*);
}

}  // namespace tembra
