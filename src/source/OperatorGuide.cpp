#include "source/OperatorGuide.h"

namespace tembra {

static_assert(GuideSource::kRows == ProgrammeGuide::kRows && GuideSource::kNothing == ProgrammeGuide::kNothing &&
              GuideSource::kDownloadStarted == ProgrammeGuide::kDownloadStarted &&
              GuideSource::kNotLoaded == ProgrammeGuide::kNotLoaded);

GuideSource::DayState OperatorGuide::GetDayState(int day) const {
  switch (guide_->GetDayState(day)) {
    case ProgrammeGuide::DayState::NotLoaded:
      return DayState::NotLoaded;
    case ProgrammeGuide::DayState::Downloading:
      return DayState::Downloading;
    case ProgrammeGuide::DayState::Loaded:
      return DayState::Loaded;
    case ProgrammeGuide::DayState::Empty:
      return DayState::Empty;
  }
  return DayState::NotLoaded;
}

}  // namespace tembra
