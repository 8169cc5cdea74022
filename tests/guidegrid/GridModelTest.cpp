#include "guidegrid/GridModel.h"

#include <gtest/gtest.h>

#include "guidegrid/FakeGuide.h"

namespace tembra {
namespace {

using test::FakeGuide;

constexpr int64_t kMidnight = 1796774400;  // 2026-12-09 00:00:00 UTC

std::vector<std::string> titles(const GridModel::Slice& s) {
  std::vector<std::string> out;
  for (const GuideProgramme* p : s.programmes) out.push_back(toUtf8(p->entry.title));
  return out;
}

TEST(GridModel, ReadsOnlyTheRowsAndDaysAskedForAndKeepsThem) {
  FakeGuide guide(kMidnight);
  GridModel model(&guide, FakeGuide::channels(100000));
  EXPECT_EQ(model.rowCount(), 100000u);
  EXPECT_EQ(guide.reads, 0) << "nothing is read up front";
  // Channel 1: 30-minute programmes; 10:00-11:00 of day 0 holds two.
  const GridModel::Slice s = model.programmes(1, kMidnight + 36000, kMidnight + 39600);
  EXPECT_EQ(titles(s), (std::vector<std::string>{"1/20", "1/21"}));
  EXPECT_FALSE(s.loading);
  EXPECT_EQ(guide.reads, 1) << "its day only";
  model.programmes(1, kMidnight + 40000, kMidnight + 43000);
  EXPECT_EQ(guide.reads, 1) << "kept";
  model.programmes(99999, kMidnight + 86400 + 600, kMidnight + 86400 + 1200);
  EXPECT_EQ(guide.reads, 3) << "early in day 1: day 0 too, for a programme begun before midnight";
  model.programmes(99998, kMidnight + 86400 + GridModel::kReachBack, kMidnight + 86400 + GridModel::kReachBack + 60);
  EXPECT_EQ(guide.reads, 4) << "later in the day: the day alone";
  EXPECT_EQ(model.number(1), 101) << "the channel's own number";
  EXPECT_EQ(model.number(2), 3) << "its place without one";
  EXPECT_EQ(model.rowOf(u"99999"), 99999);
  EXPECT_EQ(model.rowOf(u"nope"), -1);
}

TEST(GridModel, TheCacheIsBounded) {
  FakeGuide guide(kMidnight);
  GridModel model(&guide, FakeGuide::channels(5000), 64);
  for (size_t row = 0; row < 5000; ++row) model.programmes(row, kMidnight + 3600, kMidnight + 7200);
  EXPECT_LE(model.cachedDays(), 64u);
  const int before = guide.reads;
  model.programmes(4999, kMidnight + 3600, kMidnight + 7200);
  EXPECT_EQ(guide.reads, before) << "the most recent row is still held";
  model.programmes(0, kMidnight + 3600, kMidnight + 7200);
  EXPECT_GT(guide.reads, before) << "the oldest went";
}

TEST(GridModel, DaysAndTheirBoundsComeFromTheGuide) {
  FakeGuide guide(kMidnight, 7);
  GridModel model(&guide, FakeGuide::channels(3));
  EXPECT_EQ(model.dayCount(), 7);
  EXPECT_EQ(model.begin(), kMidnight);
  EXPECT_EQ(model.end(), kMidnight + 7 * 86400);
  EXPECT_EQ(model.dayOf(kMidnight + 86399), 0);
  EXPECT_EQ(model.dayOf(kMidnight + 86400), 1);
  EXPECT_EQ(model.dayOf(kMidnight - 5), 0) << "kept within the days";
  EXPECT_EQ(model.dayOf(kMidnight + 30 * 86400), 6);
  const GridModel::Slice all = model.all(2);  // 40-minute programmes: 36 a day
  EXPECT_EQ(all.programmes.size(), 7u * 36);

  GridModel none(nullptr, FakeGuide::channels(3));
  EXPECT_EQ(none.dayCount(), 1);
  EXPECT_TRUE(none.all(0).programmes.empty());
}

TEST(GridModel, AProgrammeAcrossMidnightIsDrawnOnceAndOverlapsAreKept) {
  FakeGuide guide(kMidnight);
  // Listed by both days, as a guide keeping every programme that touches a
  // day does.
  GuideProgramme late{kMidnight + 86400 - 1800, kMidnight + 86400 + 1800, {u"Late Film", {}, {}, {}}};
  GuideProgramme early{kMidnight + 86400 + 1800, kMidnight + 86400 + 3600, {u"Early News", {}, {}, {}}};
  guide.fixed[u"0"] = {late, early};
  GridModel model(&guide, FakeGuide::channels(1));
  const GridModel::Slice s = model.programmes(0, kMidnight + 86400 - 3600, kMidnight + 86400 + 3600);
  EXPECT_EQ(titles(s), (std::vector<std::string>{"Late Film", "Early News"}));
  EXPECT_EQ(titles(model.programmes(0, kMidnight + 86400 + 1800, kMidnight + 86400 + 1801)),
            (std::vector<std::string>{"Early News"})) << "a programme's stop is not in it";
}

TEST(GridModel, MissingDaysAreReportedOnceAndReadAgainAfterAChange) {
  FakeGuide guide(kMidnight);
  guide.held = {1};
  GridModel model(&guide, FakeGuide::channels(10));
  EXPECT_FALSE(model.programmes(0, kMidnight + 3600, kMidnight + 7200).loading) << "day 1 is not in that range";
  const GridModel::Slice s = model.programmes(0, kMidnight + 86400 + 3600, kMidnight + 86400 + 7200);
  EXPECT_TRUE(s.loading);
  EXPECT_TRUE(s.programmes.empty());
  EXPECT_EQ(model.takeMissingDays(), (std::vector<int>{1}));
  EXPECT_TRUE(model.takeMissingDays().empty());
  EXPECT_TRUE(guide.downloads.empty()) << "the model itself never starts a download";

  guide.held.clear();
  EXPECT_TRUE(model.programmes(0, kMidnight + 86400 + 3600, kMidnight + 86400 + 7200).loading) << "still the old answer";
  model.invalidate();
  const GridModel::Slice after = model.programmes(0, kMidnight + 86400 + 3600, kMidnight + 86400 + 7200);
  EXPECT_FALSE(after.loading);
  EXPECT_EQ(after.programmes.size(), 3u) << "20-minute programmes: 3 in an hour";
}

TEST(GridModel, SlicesStayValidWhileTheCacheMovesOn) {
  FakeGuide guide(kMidnight);
  GridModel model(&guide, FakeGuide::channels(200), 16);
  const GridModel::Slice held = model.programmes(3, kMidnight, kMidnight + 86400);
  for (size_t row = 0; row < 200; ++row) model.programmes(row, kMidnight, kMidnight + 3600);
  ASSERT_FALSE(held.programmes.empty());
  EXPECT_EQ(toUtf8(held.programmes.front()->entry.title), "3/0") << "its days are held by the slice";
}

}  // namespace
}  // namespace tembra
