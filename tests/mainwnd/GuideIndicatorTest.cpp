// The guide's indicators belong to the list on show: downloads that end for
// a page the viewer has left, retries that find rows or whose request the
// guide drops, the notice beside a waiting panel; and the playing channel's
// now-playing row, marked again and kept in view after every refill.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <algorithm>

#include "guide/ProgrammeGuide.h"
#include "mainwnd/GuidePanel.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/PanelDemoRun.h"
#include "mainwnd/QtTestApp.h"
#include "platform/Utf.h"
#include "service/ServiceClient.h"
#include "skin/CListUI.h"
#include "skin/SkinListModel.h"
#include "skin/SkinListView.h"
#include "splash/CPictureEx.h"

namespace tembra {
namespace {

using test::PanelDemoRun;
using test::PanelRect;
using test::PanelTestWindow;
using test::spinUntil;
using DayState = ProgrammeGuide::DayState;

bool pictureUp(PanelTestWindow& w) { return !w.guideLoadingPicture()->isHidden(); }

int indexOf(const std::vector<std::string>& v, const std::string& s) {
  auto it = std::find(v.begin(), v.end(), s);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void expectWaitingOver(PanelTestWindow& w, const char* list) {
  EXPECT_TRUE(w.shown("noticeload")) << list;
  EXPECT_TRUE(w.isTimerActive(2)) << list;
  EXPECT_FALSE(w.shown("nonoticelist")) << list;
  EXPECT_EQ(PanelRect(w, "noticeload"), MainLayout::guideIndicator(list, PanelRect(w, list)).noticeload) << list;
}

// A run whose guide has nothing: every download so far failed.
struct EmptyGuideRun {
  PanelDemoRun run{{"--groups", "1", "--channels-per-group", "3", "--fault", "guide-404"}};
  ProgrammeGuide* guide = nullptr;
  EmptyGuideRun() {
    if (!run.error().empty()) return;
    run.configure();
    guide = &run.makeLoadedGuide();
  }
  PanelTestWindow& w() { return run.window(); }
};

TEST(GuideIndicators, AFailedDownloadOfAPageLeftBehindLeavesTheWaitingPanelOfThePageOnShow) {
  EmptyGuideRun r;
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  // Slow ticks: the page on show stays in its wait for the whole test.
  w.guidePanel().setTickInterval(10000);
  // Today asked for from a channel's first day, then the viewer goes to
  // the now-playing page, which waits for the same day.
  w.click("channellist", 0);
  w.guidePanel().ShowGuidePage(GuidePage::NowPlaying);
  expectWaitingOver(w, "playinglist");
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_FIRSTDAY) == 1; }, 30000));
  expectWaitingOver(w, "playinglist");
  EXPECT_TRUE(w.texts("firstdaylist").empty());
}

TEST(GuideIndicators, ADownloadThatEndsForAPageLeftBehindFillsItAndEndsTheWaitForTheSameDay) {
  EmptyGuideRun r;
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  ASSERT_TRUE(r.run.faults("guide-404=0"));
  w.click("channellist", 1);  // asks for today
  w.guidePanel().ShowGuidePage(GuidePage::ThirdDay);
  expectWaitingOver(w, "thirddaylist");
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_FIRSTDAY) == 1; }, 30000));
  // Today's list of the channel is there for when the viewer goes back; the
  // day after, still missing, is still awaited (its panel counting down, or
  // its own retry's picture up) and comes by itself.
  EXPECT_FALSE(w.texts("firstdaylist").empty());
  EXPECT_TRUE((w.shown("noticeload") && w.isTimerActive(2)) || pictureUp(w));
  ASSERT_TRUE(spinUntil([&] { return !w.texts("thirddaylist").empty(); }, 30000));
  EXPECT_TRUE(w.shown("thirddaylist"));
  EXPECT_FALSE(w.shown("noticeload"));
  EXPECT_FALSE(pictureUp(w));

  // The upcoming page waits for today while a now-playing download runs:
  // the download's end brings both.
  r.guide = &r.run.makeGuide(2000, false);
  w.guidePanel().ShowGuidePage(GuidePage::NowPlaying);
  w.guidePanel().RetryGuidePage();
  ASSERT_TRUE(pictureUp(w));
  w.guidePanel().ShowGuidePage(GuidePage::Upcoming);
  expectWaitingOver(w, "playlist");
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_NOWPLAYING) == 1; }, 30000));
  EXPECT_FALSE(w.texts("playinglist").empty());
  EXPECT_FALSE(w.texts("playlist").empty());
  EXPECT_TRUE(w.shown("playlist"));
  EXPECT_FALSE(w.shown("noticeload"));
  EXPECT_FALSE(w.isTimerActive(2));
}

TEST(GuideIndicators, TheNoticeGoesWhenAnyListStartsWaiting) {
  EmptyGuideRun r;
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  ASSERT_TRUE(r.run.faults("guide-404=0"));
  ASSERT_TRUE(r.guide->Download(1));
  // No channel picked: tomorrow's page says there is nothing to show...
  w.guidePanel().ShowGuidePage(GuidePage::SecondDay);
  EXPECT_TRUE(w.shown("nonoticelist"));
  // ...and today's, not loaded, waits without the notice beside it.
  w.guidePanel().ShowGuidePage(GuidePage::FirstDay);
  expectWaitingOver(w, "firstdaylist");
  w.guidePanel().ShowGuidePage(GuidePage::SecondDay);
  EXPECT_TRUE(w.shown("nonoticelist"));
  w.guidePanel().ShowGuidePage(GuidePage::NowPlaying);
  expectWaitingOver(w, "playinglist");
}

TEST(GuideIndicators, ARetryThatFindsTheDayLoadedShowsItsRowsWithoutThePicture) {
  EmptyGuideRun r;
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  w.click("channellist", 0);
  w.guidePanel().ShowGuidePage(GuidePage::SecondDay);
  expectWaitingOver(w, "seconddaylist");
  // Tomorrow arrives by another way (as the preload brings it), and then
  // the count-down ends.
  ASSERT_TRUE(r.run.faults("guide-404=0"));
  ASSERT_TRUE(r.guide->Download(1));
  w.guidePanel().RetryGuidePage();
  EXPECT_FALSE(w.texts("seconddaylist").empty());
  EXPECT_TRUE(w.shown("seconddaylist"));
  EXPECT_FALSE(w.shown("noticeload"));
  EXPECT_FALSE(w.isTimerActive(2));
  EXPECT_FALSE(pictureUp(w)) << "no download was started, so none would end the picture";
  test::spinFor(300);
  EXPECT_FALSE(pictureUp(w));
}

TEST(GuideIndicators, ARetryWhoseRequestIsDroppedWaitsAgainInsteadOfShowingThePicture) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2", "--fault", "guide-404"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeLoadedGuide();
  auto& w = run.window();
  ASSERT_TRUE(run.faults("guide-404=0&hang-guide=1"));
  // A download of today runs (and hangs) for the now-playing page...
  w.guidePanel().RetryGuidePage();
  ASSERT_TRUE(guide.downloadRunning());
  ASSERT_TRUE(pictureUp(w));
  // ...when the viewer asks for the day after on a channel's page.
  w.click("channellist", 0);
  w.guidePanel().ShowGuidePage(GuidePage::ThirdDay);
  expectWaitingOver(w, "thirddaylist");
  w.guidePanel().RetryGuidePage();
  EXPECT_EQ(guide.GetDayState(2), DayState::NotLoaded) << "the guide dropped the request";
  EXPECT_FALSE(pictureUp(w));
  expectWaitingOver(w, "thirddaylist");
  EXPECT_EQ(w.text("noticeloadtime"), "Loading failed, retrying in 10 s");
  EXPECT_TRUE(guide.downloadRunning());
}

// A guide of many channels for the now-playing list.
struct MarkRun {
  PanelDemoRun run;
  explicit MarkRun(std::vector<std::string> args) : run(std::move(args)) {
    if (!run.error().empty()) return;
    run.makePlayable();
  }
  PanelTestWindow& w() { return run.window(); }
};

TEST(GuideIndicators, ThePlayingChannelsNowPlayingRowStaysMarkedAndInViewAcrossRefills) {
  MarkRun r({"--groups", "1", "--channels-per-group", "60"});
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  w.guidePanel().ShowNowPlaying(true);
  const std::vector<std::string> guide = w.names("playinglist");
  ASSERT_GT(guide.size(), 40u);
  const std::string last = guide.back();
  const int row = static_cast<int>(guide.size()) - 1;
  CListUI* playing = w.findList("playinglist");

  w.activate("channellist", indexOf(w.names("channellist"), last));
  EXPECT_EQ(w.markedRow("playinglist"), row);
  EXPECT_TRUE(playing->itemRect(row).isValid()) << "the marked row is scrolled into view";
  playing->ensureVisible(0);
  ASSERT_FALSE(playing->itemRect(row).isValid());

  // Refilled: the page switched away and back.
  w.guidePanel().ShowGuidePage(GuidePage::Upcoming);
  w.guidePanel().ShowGuidePage(GuidePage::NowPlaying);
  EXPECT_EQ(w.markedRow("playinglist"), row);
  EXPECT_EQ(w.state().playingListMark, row);
  EXPECT_EQ(playing->item(row)->markerImage, "frame_listitem_playing_bk.png");
  EXPECT_EQ(playing->item(row)->markerRect, QRect(QPoint(3, 8), QPoint(9, 14)));
  EXPECT_TRUE(playing->itemRect(row).isValid());

  // Started from the guide itself, the refill keeps that mark's place.
  w.activate("playinglist", 2);
  playing->ensureVisible(row);
  w.guidePanel().ShowNowPlaying(false);
  EXPECT_EQ(w.markedRow("playinglist"), 2);
  EXPECT_EQ(playing->item(2)->markerRect, QRect(QPoint(3, 10), QPoint(9, 16)));
  EXPECT_TRUE(playing->itemRect(2).isValid());
}

TEST(GuideIndicators, AChannelPlayedBeforeTheGuideCameIsMarkedWhenItsRowsArrive) {
  EmptyGuideRun r;
  ASSERT_EQ(r.run.error(), "");
  auto& w = r.w();
  r.run.makeRecordingPlayer();
  w.guidePanel().ShowNowPlaying(true);
  w.activate("channellist", 2);
  ASSERT_EQ(r.run.played().size(), 1u);
  EXPECT_EQ(w.state().playingListMark, -1) << "no row to mark yet";
  ASSERT_TRUE(r.run.faults("guide-404=0"));
  ASSERT_TRUE(spinUntil([&] { return w.handledCount(WM_GUIDE_NOWPLAYING) == 1; }, 30000));
  const int row = indexOf(w.names("playinglist"), w.names("channellist")[2]);
  ASSERT_GE(row, 0);
  EXPECT_EQ(w.markedRow("playinglist"), row);
  EXPECT_EQ(w.state().playingListMark, row);
}

TEST(GuideIndicators, ThousandsOfGuideRowsArriveInOneModelChange) {
  PanelDemoRun run({"--groups", "1", "--channels-per-group", "2000", "--programmes-per-day", "4"});
  ASSERT_EQ(run.error(), "");
  run.configure();
  ProgrammeGuide& guide = run.makeGuide(2000, false);
  ASSERT_TRUE(guide.Download(0));
  auto& w = run.window();
  CListUI* list = w.findList("playinglist");
  QSignalSpy inserted(list->model(), &QAbstractItemModel::rowsInserted);
  w.guidePanel().ShowNowPlaying(true);
  EXPECT_GT(list->count(), 1000);
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_TRUE(list->view()->uniformItemSizes());
}

}  // namespace
}  // namespace tembra
