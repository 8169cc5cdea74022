#include "mainwnd/MainLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace tembra {
namespace {

MainLayout layoutOf(int w, int h, const WindowState& s = {}, int guidePage = 1, int switchPage = 0) {
  return MainLayout::compute(w, h, s, guidePage, switchPage);
}

PixelRect rect(const MainLayout& l, const char* name) {
  auto r = l.rectOf(name);
  EXPECT_TRUE(r.has_value()) << name;
  return r.value_or(PixelRect{});
}

TEST(MainLayout, MinimumWindowPlacesPlayerSplitterAndPanel) {
  const MainLayout l = layoutOf(936, 529);
  EXPECT_EQ(l.player(), (PixelRect{3, 25, 585, 526}));
  EXPECT_EQ(l.player().width(), 936 - 341 - 7 - 3 - 3);
  EXPECT_EQ(rect(l, "listcontrol"), (PixelRect{585, 25, 592, 526}));
  EXPECT_EQ(rect(l, "infolayout").left, 591);
  EXPECT_EQ(rect(l, "infolayout"), (PixelRect{591, 25, 933, 526}));
  EXPECT_EQ(rect(l, "frameWnd"), (PixelRect{0, 25, 936, 529}));
  // The splitter's buttons sit half way down, (529 - 3) / 2.
  EXPECT_EQ(rect(l, "hidebtn"), (PixelRect{585, 263, 591, 272}));
  EXPECT_EQ(rect(l, "showbtn"), rect(l, "hidebtn"));
}

TEST(MainLayout, PanelColumnsListsAndAdPane) {
  const MainLayout l = layoutOf(936, 529);
  // Panel from x 591, lists from y 55 down to 529 - 3 - 85 = 441, list
  // column 100 + 2 * 6 wide.
  EXPECT_EQ(rect(l, "channellayout"), (PixelRect{591, 55, 933, 441}));
  EXPECT_EQ(rect(l, "tvlayout"), rect(l, "channellayout"));
  EXPECT_EQ(rect(l, "listlayout"), (PixelRect{591, 55, 703, 441}));
  // The search field over the list, 24 high; the page-up arrow and the
  // list below it.
  EXPECT_EQ(rect(l, "channelsearch"), (PixelRect{597, 61, 697, 85}));
  EXPECT_EQ(rect(l, "pgupbtn"), (PixelRect{636, 89, 651, 97}));
  EXPECT_EQ(rect(l, "channellist"), (PixelRect{597, 101, 697, 427}));
  EXPECT_GE(rect(l, "channellist").height(), 10 * 32) << "ten rows at the smallest size";
  EXPECT_EQ(rect(l, "pgdnbtn"), (PixelRect{636, 431, 651, 439}));
  EXPECT_EQ(rect(l, "tvsepline"), (PixelRect{703, 56, 704, 441}));
  EXPECT_EQ(rect(l, "guidetab"), (PixelRect{704, 56, 933, 441}));
  EXPECT_EQ(rect(l, "tvguidelayout"), rect(l, "guidetab"));
  EXPECT_EQ(rect(l, "tvswitch"), (PixelRect{704, 131, 933, 441}));
  for (const char* day : {"firstdaylist", "seconddaylist", "thirddaylist"})
    EXPECT_EQ(rect(l, day), (PixelRect{704, 135, 933, 441})) << day;
  for (const char* list : {"playinglist", "playlist"})
    EXPECT_EQ(rect(l, list), (PixelRect{704, 60, 933, 441})) << list;
  EXPECT_EQ(rect(l, "iewnd"), (PixelRect{593, 441, 933, 526}));
  EXPECT_EQ(rect(l, "iewnd").height(), 85);
}

TEST(MainLayout, EveryControlIsNamedOnce) {
  const MainLayout l = layoutOf(1200, 800);
  std::set<std::string> names;
  for (const auto& [name, r] : l.controls()) EXPECT_TRUE(names.insert(name).second) << name;
  EXPECT_EQ(names.size(), 22u);
  EXPECT_FALSE(l.rectOf("noticeload").has_value());
}

TEST(MainLayout, HiddenPanelWidensThePlayerByThePanelWidth) {
  WindowState hidden;
  hidden.panelWidth = 0;
  const MainLayout shown = layoutOf(936, 529);
  const MainLayout wide = layoutOf(936, 529, hidden);
  EXPECT_EQ(wide.player().width() - shown.player().width(), 341);
  EXPECT_EQ(wide.player().right, 936 - 3 - 7);
  EXPECT_EQ(rect(wide, "listcontrol").left, wide.player().right);
  // After the window itself shrinks by the panel (595 wide), the player
  // keeps the width it had with the panel shown.
  EXPECT_EQ(layoutOf(595, 529, hidden).player(), shown.player());
}

TEST(MainLayout, GrowsWithTheWindowOnTheRightAndBottom) {
  const MainLayout small = layoutOf(936, 529);
  const MainLayout big = layoutOf(1936, 1029);
  EXPECT_EQ(big.player().width() - small.player().width(), 1000);
  EXPECT_EQ(rect(big, "infolayout").width(), rect(small, "infolayout").width());
  EXPECT_EQ(rect(big, "channellist").height() - rect(small, "channellist").height(), 500);
  EXPECT_EQ(rect(big, "iewnd").height(), 85);
  // Odd heights halve toward zero: (1030 - 3) / 2.
  EXPECT_EQ(rect(layoutOf(936, 1030), "hidebtn").top, 513);
}

TEST(MainLayout, GuideIndicatorFollowsTheGuidePageOnShow) {
  struct Row {
    int guidePage, switchPage;
    const char* list;
  };
  const Row rows[] = {{1, 2, "playinglist"},   {2, 0, "playlist"},      {0, 0, "firstdaylist"},
                      {0, 1, "seconddaylist"}, {0, 2, "thirddaylist"}};
  for (const Row& row : rows) {
    const MainLayout l = layoutOf(936, 529, {}, row.guidePage, row.switchPage);
    ASSERT_TRUE(l.guideIndicator().has_value()) << row.list;
    EXPECT_EQ(l.guideIndicator()->list, row.list);
    EXPECT_EQ(MainLayout::guideListOnShow(row.guidePage, row.switchPage), row.list);
  }
  EXPECT_FALSE(layoutOf(936, 529, {}, 3, 0).guideIndicator().has_value());
  EXPECT_FALSE(layoutOf(936, 529, {}, -1, 0).guideIndicator().has_value());
  EXPECT_FALSE(layoutOf(936, 529, {}, 0, 3).guideIndicator().has_value());
}

TEST(MainLayout, GuideIndicatorIsCentredOnItsList) {
  const MainLayout l = layoutOf(936, 529, {}, 1, 0);
  const GuideIndicatorPlacement& g = *l.guideIndicator();
  // "playinglist" is 229 x 381 at (704, 60).
  EXPECT_EQ(g.noticeload, (PixelRect{768, 201, 868, 300}));
  EXPECT_EQ(g.picture, (PixelRect{738, 240, 898, 260}));
  EXPECT_EQ(g.nonoticelist, (PixelRect{768, 230, 898, 260}));
  const GuideIndicatorPlacement day = *layoutOf(936, 529, {}, 0, 1).guideIndicator();
  EXPECT_EQ(day.noticeload.top, 135 + (306 - 99) / 2);
}

TEST(MainLayout, IndicatorLargerThanItsListGetsOffsetsTruncatedTowardZero) {
  const GuideIndicatorPlacement g = MainLayout::guideIndicator("playlist", {10, 20, 107, 20});
  EXPECT_EQ(g.noticeload.left, 10 - 1);  // (97 - 100) / 2
  EXPECT_EQ(g.noticeload.top, 20 - 49);  // (0 - 99) / 2
  EXPECT_EQ(g.noticeload.width(), 100);
  EXPECT_EQ(g.noticeload.height(), 99);
  EXPECT_EQ(MainLayout::guideIndicator("playlist", {10, 20, 109, 20}).noticeload.left, 10);
}

TEST(MainLayout, ListIndicatorIsCentredOnTheListColumn) {
  const MainLayout l = layoutOf(936, 529);
  EXPECT_EQ(l.listIndicator().listload, (PixelRect{597, 198, 697, 297}));
  EXPECT_EQ(l.listIndicator().picture, (PixelRect{601, 229, 692, 266}));
  EXPECT_EQ(l.listIndicator().picture.width(), 91);
  EXPECT_EQ(l.listIndicator().picture.height(), 37);
}

TEST(MainLayout, RetryPictureIsCentredOnTheIndicator) {
  EXPECT_EQ(MainLayout::retryPicture({597, 198, 697, 297}), (PixelRect{602, 209, 691, 285}));
  EXPECT_EQ(MainLayout::retryPicture({0, 0, 89, 76}), (PixelRect{0, 0, 89, 76}));
  EXPECT_EQ(MainLayout::retryPicture({0, 0, 0, 0}), (PixelRect{-44, -38, 45, 38}));
}

TEST(MainLayout, WindowNarrowerThanThePanelStillLaysOut) {
  const MainLayout l = layoutOf(100, 50);
  EXPECT_LT(l.player().width(), 0);
  EXPECT_EQ(rect(l, "frameWnd"), (PixelRect{0, 25, 100, 50}));
}

}  // namespace
}  // namespace tembra
