#include "guidegrid/GridNavigator.h"

#include <gtest/gtest.h>

namespace tembra {
namespace {

// 10:00-11:00, 11:00-11:30, a gap, 12:00-13:00 (seconds of the day).
const std::vector<GridSpan> kRow = {{36000, 39600}, {39600, 41400}, {43200, 46800}};

TEST(GridNavigator, TheProgrammeOnAtAMoment) {
  struct Case {
    int64_t t;
    int index;
  };
  const Case cases[] = {
      {36000, 0}, {39599, 0}, {39600, 1},  // a programme's stop is the next one's start
      {41400, 1},                          // the gap's first part is nearer the one before
      {42000, 1}, {42600, 2},              // and its second part nearer the one after
      {1000, 0},                           // before the first
      {90000, 2},                          // after the last
  };
  for (const Case& c : cases) EXPECT_EQ(GridNavigator::onAt(kRow, c.t), c.index) << c.t;
  EXPECT_EQ(GridNavigator::onAt({}, 36000), -1);
}

TEST(GridNavigator, AlongARowStopsAtItsEnds) {
  EXPECT_EQ(GridNavigator::along(kRow, 0, +1), 1);
  EXPECT_EQ(GridNavigator::along(kRow, 1, -1), 0);
  EXPECT_EQ(GridNavigator::along(kRow, 0, -1), 0);
  EXPECT_EQ(GridNavigator::along(kRow, 2, +1), 2);
  EXPECT_EQ(GridNavigator::along(kRow, -1, +1), 0) << "nothing selected: the first";
  EXPECT_EQ(GridNavigator::along({}, 0, +1), -1);
}

TEST(GridNavigator, UpAndDownKeepToTheMomentInView) {
  // A programme begun before the view's edge stands for the edge, so the
  // row below lands on what is on there, not hours before.
  EXPECT_EQ(GridNavigator::anchorOf({36000, 46800}, 43200), 43200);
  EXPECT_EQ(GridNavigator::anchorOf({39600, 41400}, 36000), 39600);
  EXPECT_EQ(GridNavigator::anchorOf({30000, 36000}, 43200), 30000) << "out of sight: its start";
  const std::vector<GridSpan> below = {{34200, 42000}, {42000, 50000}};
  EXPECT_EQ(GridNavigator::onAt(below, GridNavigator::anchorOf({36000, 46800}, 43200)), 1);
  EXPECT_EQ(GridNavigator::onAt(below, GridNavigator::anchorOf({36000, 46800}, 30000)), 0);

  EXPECT_EQ(GridNavigator::rowFrom(5, +1, 10), 6);
  EXPECT_EQ(GridNavigator::rowFrom(9, +1, 10), 9);
  EXPECT_EQ(GridNavigator::rowFrom(0, -1, 10), 0);
  EXPECT_EQ(GridNavigator::rowFrom(3, +8, 10), 9) << "a page past the end";
  EXPECT_EQ(GridNavigator::rowFrom(3, -8, 10), 0);
  EXPECT_EQ(GridNavigator::rowFrom(0, +1, 0), -1);
}

TEST(GridNavigator, RevealMovesTheViewOnlyAsFarAsNeeded) {
  const int64_t span = 7200;  // the view: 10:00-12:00
  struct Case {
    const char* what;
    GridSpan p;
    int64_t viewStart;
  };
  const Case cases[] = {
      {"in sight", {37800, 39600}, 36000},
      {"runs past the edge, much of it in sight", {37800, 45000}, 36000},
      {"covers the whole view", {30000, 50000}, 36000},
      {"begun before, mostly in sight", {34200, 43200}, 36000},
      {"a sliver at the right edge: a third of the view of it", {41400, 45000}, 36600},
      {"after the view: all of it, at the edge", {45000, 46800}, 39600},
      {"before the view: all of it, at the edge", {28800, 30600}, 28800},
      {"begun long before, a sliver in sight: a third of the view", {30000, 36600}, 34200},
  };
  for (const Case& c : cases) EXPECT_EQ(GridNavigator::reveal(c.p, 36000, span), c.viewStart) << c.what;
}

}  // namespace
}  // namespace tembra
