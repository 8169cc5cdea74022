// A viewer's run against the healthy demo service: the program starts,
// signs in, shows the catalogue and the guide, plays the channel
// double-clicked and then a second one, and pages through the guide.
#include <chrono>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

bool hasCode(const std::vector<std::string>& records, const std::string& code) {
  for (const auto& c : eventCodes(records))
    if (c == code) return true;
  return false;
}

TEST_F(EndToEnd, StartsSignsInAndShowsTheCatalogueAndGuide) {
  ASSERT_TRUE(startDemo());
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  EXPECT_EQ(at.window().width(), 936);
  EXPECT_EQ(at.window().height(), 529);
  QImage screen;
  EXPECT_TRUE(waitForChannelRows("catalogue", at, 15000, &screen))
      << "the channel list is filled";
  EXPECT_TRUE(waitForGuideRows("now-playing", at.guideList(), 15000))
      << "the now-playing list is filled";
  EXPECT_FALSE(waitingPanelShown(screen, at.listWaitingPanel()));
  // The start-up records reach the collector without waiting for the close.
  EXPECT_TRUE(waitForRecord(kStartupDone, 15000)) << joinCodes(records());
  const auto got = records();
  ASSERT_GE(got.size(), 3u) << joinCodes(got);
  EXPECT_EQ(eventCode(got[0]), kStart) << joinCodes(got);
  EXPECT_TRUE(hasCode(got, kCatalogueLoaded)) << joinCodes(got);
  checkEventLoop("during a healthy start");
  closeBySigterm();
}

TEST_F(EndToEnd, DoubleClickPlaysTheChannelAndASecondOneFollows) {
  ASSERT_TRUE(startDemo());
  startPlayer();
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  const WindowPlaces at = places();
  QImage idle;
  ASSERT_TRUE(waitForChannelRows("idle", at, 15000, &idle));

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  QImage first;
  EXPECT_TRUE(waitForNewPicture("first-channel", idle, at.video(), 20000, &first))
      << "the video area shows the stream instead of the idle page";
  std::this_thread::sleep_for(2500ms);
  const QImage later = shot("first-channel-later");
  // The window alone, playing: the picture the README shows.
  later.copy(at.window().left, at.window().top, at.window().width(), at.window().height())
      .save(QString::fromStdString(shotFolder() + "/window-playing.png"));
  EXPECT_GT(changedShare(first, later, at.video()), 0.005) << "the picture moves";

  ASSERT_TRUE(doubleClick(at.channelRow(1)));
  QImage second;
  EXPECT_TRUE(waitForNewPicture("second-channel", later, at.video(), 20000, &second))
      << "the second channel's picture replaces the first";
  // Page Down over the video: the next channel of the list, with the same
  // marks and records as a double-click.
  std::this_thread::sleep_for(2s);
  const QImage beforeKey = shot("second-channel-later");
  // A click on the video takes the keys away from the channel list.
  ASSERT_TRUE(clickVideo(at));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(x().key(window, "Next"));
  EXPECT_TRUE(waitForNewPicture("third-channel", beforeKey, at.video(), 20000))
      << "Page Down plays the next channel";
  std::this_thread::sleep_for(1s);
  checkEventLoop("while switching channels");
  closeByButton();

  // Each channel watched is one record, in order, with its own id.
  const auto got = records();
  std::vector<std::string> watched;
  for (const auto& r : got)
    if (eventCode(r) == kWatched) watched.push_back(r);
  ASSERT_EQ(watched.size(), 3u) << joinCodes(got);
  const auto a = eventValues(watched[0]), b = eventValues(watched[1]);
  ASSERT_EQ(a.size(), 7u) << watched[0];
  ASSERT_EQ(b.size(), 7u) << watched[1];
  const auto c = eventValues(watched[2]);
  ASSERT_EQ(c.size(), 7u) << watched[2];
  EXPECT_NE(a[2], b[2]) << "different channel ids";
  EXPECT_NE(b[2], c[2]);
  EXPECT_FALSE(a[3].empty());
  EXPECT_GE(std::stoi(a[4]), 1) << "seconds the first channel was watched";
  EXPECT_EQ(eventCode(got.back()), kClose);
}

// A single click opens the channel's guide; the page options and the day
// options show each list.
TEST_F(EndToEnd, GuidePagesShowTheirLists) {
  ASSERT_TRUE(startListing());
  const WindowPlaces at = places();
  ASSERT_TRUE(click(at.channelRow(2)));
  EXPECT_TRUE(waitForGuideRows("today", at.dayList(), 15000))
      << "today's programmes of the channel";
  for (int day : {1, 2}) {
    ASSERT_TRUE(click(at.dayOption(day)));
    EXPECT_TRUE(waitForGuideRows("day-" + std::to_string(day), at.dayList(), 15000))
        << "day " << day;
  }
  ASSERT_TRUE(click(at.upNextOption()));
  EXPECT_TRUE(waitForGuideRows("up-next", at.guideList(), 10000));
  ASSERT_TRUE(click(at.nowPlayingOption()));
  EXPECT_TRUE(waitForGuideRows("now-playing", at.guideList(), 10000));
  checkEventLoop("while paging the guide");
  closeBySigterm();
}

// No notification area on the bus: the program runs, plays and closes
// all the same, a service notice included.
TEST_F(EndToEnd, RunsWithoutANotificationArea) {
  const bool root = ::geteuid() == 0;
  ASSERT_TRUE(startDemo(root ? std::vector<std::string>{"--notice", "Maintenance tonight#from 02:00"}
                             : std::vector<std::string>{},
                        root));
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  ASSERT_TRUE(waitForChannelRows("start", at, 15000));
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(player().running());
  EXPECT_EQ(x().windows(kTitle).size(), 1u);
  checkEventLoop("without a notification area");
  closeByButton();
  EXPECT_EQ(eventCode(records().back()), kClose);
}

// With a notification area on the bus the tray icon registers; a left
// click brings the window up from under another, a right click opens the
// tray menu.
TEST_F(EndToEnd, TrayIconRegistersAndItsClicksReachTheWindow) {
  TrayHost* host = startTrayHost();
  if (!host) GTEST_SKIP() << "tests/support/fake-tray-host is not built";
  ASSERT_TRUE(startDemo());
  startPlayer();
  const std::string window = waitForMainWindow();
  ASSERT_FALSE(window.empty());
  ASSERT_FALSE(host->waitFor("registered", 15000).isEmpty()) << "the tray icon registered";
  const QStringList tip = host->command("tooltip");
  ASSERT_GE(tip.size(), 3) << tip.join('|').toStdString();
  EXPECT_EQ(tip[2].toStdString() + tip.value(3).toStdString(), "Tembra Player") << "the caption as the tip";

  const WindowPlaces at = places();
  ASSERT_TRUE(waitForChannelRows("start", at, 15000));
  const std::string cover = x().cover(at.window());
  ASSERT_FALSE(x().above(window, cover));
  ASSERT_EQ(host->command("activate 100 100").value(0), "ok");
  bool raised = false;
  for (int i = 0; i < 100 && !raised; ++i) {
    raised = x().above(window, cover);
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(raised) << "a left click on the icon brings the window up";

  ASSERT_EQ(host->command("context 1200 780").value(0), "ok");
  std::string menu;
  for (int i = 0; i < 100 && menu.empty(); ++i) {
    for (const auto& w : x().windowsOf(player().pid()))
      if (w != window && w != cover) menu = w;
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_FALSE(menu.empty()) << "a right click opens the tray menu";
  shot("tray-menu");
  checkEventLoop("with the tray icon");
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
