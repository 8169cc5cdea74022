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
    case ProgrammeGuide::DayState::TooLarge:
      // Nothing will come without the viewer asking: the lists show no
      // programme rather than a wait.
      return DayState::Empty;
  }
  return DayState::NotLoaded;
}

}  // namespace tembra
