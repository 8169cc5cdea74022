#pragma once
// A guide that makes its programmes up as it is asked, for the grid's tests
// and benchmark: channel "N" has programmes of 20, 30, 40 or 60 minutes
// (by N) back to back from each day's midnight, titled "N/K" (K from the
// day's first). Days can be held back as not loaded; every read is counted.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "source/ChannelSource.h"
#include "source/GuideSource.h"

namespace tembra::test {

class FakeGuide : public GuideSource {
 public:
  explicit FakeGuide(int64_t firstMidnight, int days = 3) : day0_(firstMidnight), days_(days) {}

  static int64_t lengthOf(int channel) {
    static constexpr int64_t kMinutes[] = {20, 30, 40, 60};
    return kMinutes[channel % 4] * 60;
  }

  int32_t GetNowPlaying(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetUpcoming(std::vector<GuideRow>&, bool) override { return kNothing; }
  int32_t GetDayList(int, std::u16string_view, std::vector<GuideRow>&, bool) override { return kNothing; }
  DayState GetDayState(int day) const override { return held.count(day) ? DayState::NotLoaded : DayState::Loaded; }
  bool downloadRunning() const override { return false; }

  int dayCount() const override { return days_; }
  int64_t dayStart(int day) const override { return day0_ + int64_t{day} * 86400; }

  int32_t GetDayProgrammes(int day, std::u16string_view id, std::vector<GuideProgramme>& out, bool noDownload) override {
    ++reads;
    if (held.count(day)) {
      if (!noDownload) downloads.push_back(day);
      return noDownload ? kNotLoaded : kDownloadStarted;
    }
    if (day < 0 || day >= days_) return kNothing;
    auto fixed = this->fixed.find(std::u16string(id));
    if (fixed != this->fixed.end()) {
      for (const GuideProgramme& p : fixed->second)
        if (p.stop > dayStart(day) && p.start < dayStart(day + 1)) out.push_back(p);
      return out.empty() ? kNothing : kRows;
    }
    const int channel = std::stoi(toUtf8(id));
    if (empty.count(channel)) return kNothing;
    const int64_t length = lengthOf(channel);
    int k = 0;
    for (int64_t t = dayStart(day); t < dayStart(day + 1); t += length, ++k) {
      GuideProgramme p;
      p.start = t;
      p.stop = t + length;
      p.entry.title = fromUtf8(std::to_string(channel) + "/" + std::to_string(k));
      out.push_back(std::move(p));
    }
    return kRows;
  }

  std::optional<ProgrammeDetails> details(std::u16string_view id, const GuideEntry& entry) const override {
    if (id != u"1") return std::nullopt;
    ProgrammeDetails d;
    d.description = u"Told in full.";
    d.category = u"Drama";
    return d;
  }

  // Channels "0" .. "count-1", named "Channel N".
  static std::vector<SourceChannelRef> channels(int count) {
    std::vector<SourceChannelRef> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      auto c = std::make_shared<SourceChannel>();
      c->id = fromUtf8(std::to_string(i));
      c->name = fromUtf8("Channel " + std::to_string(i));
      if (i % 2 == 1) c->number = 100 + i;
      out.push_back(std::move(c));
    }
    return out;
  }

  std::set<int> held;                                        // days not loaded
  std::set<int> empty;                                       // channels without programmes
  std::map<std::u16string, std::vector<GuideProgramme>> fixed;  // channels with given programmes
  std::vector<int> downloads;                                // days asked for with downloads allowed
  int reads = 0;

 private:
  int64_t day0_;
  int days_;
};

}  // namespace tembra::test
