#pragma once
#include <memory>

#include "guide/ProgrammeGuide.h"
#include "source/GuideSource.h"

namespace tembra {

// The operator's day-list guide behind the window's guide seam.
class OperatorGuide : public GuideSource {
 public:
  explicit OperatorGuide(std::unique_ptr<ProgrammeGuide> guide) : guide_(std::move(guide)) {}

  int32_t GetNowPlaying(std::vector<GuideRow>& rows, bool noDownload) override {
    return guide_->GetNowPlaying(rows, noDownload);
  }
  int32_t GetUpcoming(std::vector<GuideRow>& rows, bool noDownload) override {
    return guide_->GetUpcoming(rows, noDownload);
  }
  int32_t GetDayList(int day, std::u16string_view channelId, std::vector<GuideRow>& rows, bool noDownload) override {
    return guide_->GetDayList(day, channelId, rows, noDownload);
  }
  DayState GetDayState(int day) const override;
  bool downloadRunning() const override { return guide_->downloadRunning(); }
  // A day whose reply was over the size limit says so here.
  std::u16string statusText() const override { return guide_->statusText(); }

  ProgrammeGuide& programmeGuide() { return *guide_; }

 private:
  std::unique_ptr<ProgrammeGuide> guide_;
};

}  // namespace tembra
