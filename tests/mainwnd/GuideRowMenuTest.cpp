// What a guide row's right-click menu offers for recordings: "Record" for a
// programme still to come, "Cancel recording" for one scheduled.
#include <gtest/gtest.h>

#include "mainwnd/GuideRowMenu.h"

namespace tembra {
namespace {

TEST(GuideRowMenu, RecordsAProgrammeToComeAndCancelsAScheduledOne) {
  using A = GuideRowMenu::Action;
  using E = GuideRowMenu::Entry;
  const int64_t now = 1'800'000'000;
  const int64_t hour = 3600;
  const auto row = [&](bool known, std::optional<int> days, int64_t start, bool schedulable, bool scheduled) {
    GuideRowMenu::Row r;
    r.channelKnown = known;
    r.catchupDays = days;
    r.start = start;
    r.now = now;
    r.archivePlayable = true;
    r.schedulable = schedulable;
    r.scheduled = scheduled;
    return r;
  };
  const E play{A::Play, true}, details{A::Details, true};
  const struct {
    GuideRowMenu::Row row;
    std::vector<E> entries;
  } cases[] = {
      {row(true, std::nullopt, now + hour, true, false), {play, details, {A::Record, true}}},
      {row(true, 3, now + 1, true, false), {play, details, {A::Record, true}}},
      {row(true, 3, now + hour, true, true), {play, details, {A::CancelRecording, true}}},
      // Begun: nothing to schedule, but a scheduled one (recording now) can be cancelled.
      {row(true, std::nullopt, now, true, false), {play, details}},
      {row(true, 3, now - hour, true, false), {play, details, {A::Archive, true}}},
      {row(true, std::nullopt, now - 60, true, true), {play, details, {A::CancelRecording, true}}},
      // A channel gone from the list cannot be recorded; its schedule can go.
      {row(false, 3, now + hour, true, false), {{A::Play, false}, details}},
      {row(false, 3, now + hour, true, true), {{A::Play, false}, details, {A::CancelRecording, true}}},
      // No schedule kept (no transport), or a start not known.
      {row(true, 3, now + hour, false, false), {play, details}},
      {row(true, 3, 0, true, false), {play, details}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(GuideRowMenu::entries(cases[i].row), cases[i].entries) << i;
}

}  // namespace
}  // namespace tembra
