#include "guidegrid/GridLayout.h"

#include <gtest/gtest.h>

namespace tembra {
namespace {

// 600 x 400 with the default metrics: a 168-pixel channel column, a 28-pixel
// header, 46-pixel rows, 140 pixels a half hour (12.857 s a pixel).
constexpr int64_t kT0 = 1796817600;  // a whole hour, UTC

GridLayout standard() { return GridLayout(GridMetrics{}, 600, 400); }

TEST(GridLayout, TimeAndPixelsMapBothWays) {
  const GridLayout l = standard();
  EXPECT_EQ(l.timeWidth(), 432);
  EXPECT_EQ(l.viewSpan(), 432 * 1800 / 140);
  EXPECT_EQ(l.xOf(kT0, kT0), 168);
  EXPECT_EQ(l.xOf(kT0 + 1800, kT0), 168 + 140);
  EXPECT_EQ(l.xOf(kT0 - 1800, kT0), 168 - 140) << "before the view: left of the time area";
  EXPECT_EQ(l.xOf(kT0 - 1, kT0), 167) << "rounds down, also below zero";
  for (int x : {0, 100, 168, 200, 307, 599, 5000}) EXPECT_EQ(l.xOf(l.timeAt(x, kT0), kT0), x) << x;
  // A moment years away neither overflows nor wraps round.
  EXPECT_GT(l.xOf(kT0 + (int64_t{1} << 40), kT0), 600);
  EXPECT_LT(l.xOf(kT0 - (int64_t{1} << 40), kT0), 0);
}

TEST(GridLayout, BlocksAreClippedToTheTimeArea) {
  const GridLayout l = standard();
  struct Case {
    const char* what;
    int64_t start, stop;
    std::optional<GridBlock> block;
  };
  const Case cases[] = {
      {"inside", kT0 + 1800, kT0 + 3600, GridBlock{308, 448, false, false}},
      {"begins before the view", kT0 - 1800, kT0 + 900, GridBlock{168, 238, true, false}},
      {"ends after the view", kT0 + 3000, kT0 + 7200, GridBlock{401, 600, false, true}},
      {"covers the whole view", kT0 - 3600, kT0 + 86400, GridBlock{168, 600, true, true}},
      {"ended before the view", kT0 - 3600, kT0 - 60, std::nullopt},
      {"ends at the view's start", kT0 - 3600, kT0, std::nullopt},
      {"begins after the view", kT0 + 7200, kT0 + 9000, std::nullopt},
      {"no length", kT0 + 600, kT0 + 600, std::nullopt},
      {"stop before start", kT0 + 900, kT0 + 600, std::nullopt},
      {"within one pixel", kT0 + 610, kT0 + 615, std::nullopt},
      {"short but across a pixel's edge", kT0 + 600, kT0 + 605, GridBlock{214, 215, false, false}},
  };
  for (const Case& c : cases) EXPECT_EQ(l.block(c.start, c.stop, kT0), c.block) << c.what;
}

TEST(GridLayout, OnlyRowsInSightAndWholeOnesAtTheBottom) {
  const GridLayout l = standard();  // rows area 372 high: 8 whole rows (368)
  EXPECT_EQ(l.pageRows(), 8);
  struct Case {
    int scrollY, rowCount;
    GridRows rows;
  };
  const Case cases[] = {
      {0, 100000, {0, 8, 28}},
      {46, 100000, {1, 9, 28}},
      {50, 100000, {1, 9, 24}},  // the first row partly scrolled away is drawn
      {0, 3, {0, 3, 28}},
      {0, 0, {0, 0, 0}},
      {46 * 99992, 100000, {99992, 100000, 28}},
      {1 << 30, 100000, {99992, 100000, 28}},  // clamped to the last page
      {-500, 100, {0, 8, 28}},
  };
  for (const Case& c : cases) EXPECT_EQ(l.rows(c.scrollY, c.rowCount), c.rows) << c.scrollY << " " << c.rowCount;
  EXPECT_EQ(l.maxScrollY(100000), (100000 - 8) * 46);
  EXPECT_EQ(l.maxScrollY(5), 0);
  // An area lower than a row still shows the one row.
  EXPECT_EQ(GridLayout(GridMetrics{}, 600, 50).rows(0, 10), (GridRows{0, 1, 28}));
}

TEST(GridLayout, RowUnderThePointerAndRevealingARow) {
  const GridLayout l = standard();
  EXPECT_EQ(l.rowAt(27, 0, 100), -1) << "the header";
  EXPECT_EQ(l.rowAt(28, 0, 100), 0);
  EXPECT_EQ(l.rowAt(28 + 46, 0, 100), 1);
  EXPECT_EQ(l.rowAt(28, 46 * 10, 100), 10);
  EXPECT_EQ(l.rowAt(28 + 46 * 3, 0, 3), -1) << "below the last row";
  EXPECT_EQ(l.rowTop(2, 46), 28 + 46);

  EXPECT_EQ(l.revealRow(3, 0, 100), 0) << "in sight: no move";
  EXPECT_EQ(l.revealRow(8, 0, 100), 46) << "one below: one row down";
  EXPECT_EQ(l.revealRow(20, 0, 100), 13 * 46) << "far below: it becomes the last row";
  EXPECT_EQ(l.revealRow(2, 10 * 46, 100), 2 * 46) << "above: it becomes the first";
  EXPECT_EQ(l.revealRow(99, 0, 100), l.maxScrollY(100));

  EXPECT_EQ(l.snapScrollY(22, 100), 0);
  EXPECT_EQ(l.snapScrollY(23, 100), 46);
  EXPECT_EQ(l.snapScrollY(1 << 30, 100), l.maxScrollY(100));
}

TEST(GridLayout, HalfHourTicksFollowTheLocalClock) {
  const GridLayout l = standard();
  // UTC: the ticks sit on whole and half hours, one before the edge.
  const std::vector<GridTick> utc = l.ticks(kT0 + 600, 0);
  ASSERT_GE(utc.size(), 4u);
  EXPECT_EQ(utc[0].time, kT0);
  EXPECT_LT(utc[0].x, l.timeLeft());
  EXPECT_EQ(utc[1].time, kT0 + 1800);
  EXPECT_EQ(utc[2].x - utc[1].x, 140);
  EXPECT_LE(utc.back().time, kT0 + 600 + l.viewSpan());
  // A zone 5:45 ahead of UTC: its half hours are at :15 and :45 UTC.
  const int64_t nepal = 5 * 3600 + 45 * 60;
  EXPECT_EQ(GridLayout::halfHourFloor(kT0, nepal), kT0 - 15 * 60);
  EXPECT_EQ(GridLayout::halfHourFloor(kT0 + 15 * 60, nepal), kT0 + 15 * 60);
  EXPECT_EQ(GridLayout::halfHourFloor(kT0 - 1, 0), kT0 - 1800) << "before the epoch's rounding too";
  EXPECT_EQ(GridLayout::halfHourFloor(-1, 0), -1800);
}

}  // namespace
}  // namespace tembra
