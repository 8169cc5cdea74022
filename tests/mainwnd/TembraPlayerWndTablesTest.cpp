// The main window's two tables, row by row: every program message and
// every skin notification reaches the action it stands for, and nothing
// else does.
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SystemMessages.h"
#include "mainwnd/TrayIcon.h"
#include "skin/CListUI.h"
#include "skin/SkinButton.h"
#include "skin/SkinCombo.h"

namespace tembra {
namespace {

using test::RecordingActions;
using test::spinUntil;
using test::WindowUnderTest;

class WindowTables : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = &under.make(&actions);
    ASSERT_TRUE(wnd->Create());
    // "windowinit" comes on the first event-loop turn.
    ASSERT_TRUE(spinUntil([&] { return !actions.calls.empty(); }, 2000));
    ASSERT_EQ(actions.calls, std::vector<std::string>{"RunStartup"});
    actions.clear();
  }

  std::string message(uint32_t id, uintptr_t wParam = 0, intptr_t lParam = 0) {
    actions.clear();
    wnd->handleMessage(id, wParam, lParam);
    return actions.calls.size() == 1 ? actions.calls[0] : "(" + std::to_string(actions.calls.size()) + " calls)";
  }

  std::string notification(const char* type, const char* sender, int item = -1) {
    actions.clear();
    SkinControl* control = wnd->findControl(QString::fromLatin1(sender));
    wnd->notify(SkinNotification{QString::fromLatin1(type), QString::fromLatin1(sender), control, item});
    // The screen-saver rule is asked after every notification; only the
    // routed action counts here.
    return actions.calls.size() == 1 ? actions.calls[0] : "(" + std::to_string(actions.calls.size()) + " calls)";
  }

  RecordingActions actions;
  WindowUnderTest under;
  TembraPlayerWnd* wnd = nullptr;
};

TEST_F(WindowTables, CommandMessages) {
  EXPECT_EQ(message(WM_CMD_CLOSE), "CloseWindow");
  EXPECT_EQ(message(WM_CMD_UPGRADE, 0), "StartUpdater");
  EXPECT_EQ(message(WM_CMD_UPGRADE, 1), "StartUpdater forced");
  EXPECT_EQ(message(WM_CMD_RESTORE), "RestoreOrRaise");
  EXPECT_EQ(message(WM_CMD_ABOUT), "OpenAbout");
  EXPECT_EQ(message(WM_CMD_SOURCES), "OpenSources");
  EXPECT_EQ(message(WM_CMD_HOMEPAGE), "OpenHomePage");
  // A balloon click is the upgrade command, never forced.
  EXPECT_EQ(message(WM_BALLOON_CLICKED), "StartUpdater");
  // Until the ad pane is made after the window's first frame, the page
  // stored meanwhile waits for it.
  EXPECT_EQ(message(WM_AD_UPDATED), "(0 calls)");
  EXPECT_EQ(message(WM_CATALOGUE_LOADED), "OnCatalogueLoaded");
}

TEST_F(WindowTables, TrayCallbackOnlyForTheIcon) {
  EXPECT_EQ(message(WM_TRAY_CALLBACK, TrayIcon::kIconId, TrayIcon::kRightButtonUp), "TrayCallback 517");
  EXPECT_EQ(message(WM_TRAY_CALLBACK, TrayIcon::kIconId, TrayIcon::kLeftButtonDown), "TrayCallback 513");
  EXPECT_EQ(wnd->handleMessage(WM_TRAY_CALLBACK, TrayIcon::kIconId, TrayIcon::kBalloonUserClick), 1);
  EXPECT_EQ(message(WM_TRAY_CALLBACK, 149, TrayIcon::kRightButtonUp), "(0 calls)");
}

TEST_F(WindowTables, GuideMessagesByPageWithTheirOutcome) {
  EXPECT_EQ(message(WM_GUIDE_NOWPLAYING, 1, 0), "OnGuideDownloaded 0 ok");
  EXPECT_EQ(message(WM_GUIDE_UPCOMING, 0, 0), "OnGuideDownloaded 1 failed");
  EXPECT_EQ(message(WM_GUIDE_FIRSTDAY, 1, 0), "OnGuideDownloaded 2 ok");
  EXPECT_EQ(message(WM_GUIDE_SECONDDAY, 1, 1), "OnGuideDownloaded 3 ok");
  EXPECT_EQ(message(WM_GUIDE_THIRDDAY, 0, 2), "OnGuideDownloaded 4 failed");
}

TEST_F(WindowTables, NoticesForcedUpgradeAndBalloonText) {
  EXPECT_EQ(message(WM_UDP_NOTICE, 0, 1), "ForcedUpgrade");
  // The text belongs to the sender, who frees it once the send returns:
  // the window keeps its own copy.
  auto text = std::make_unique<std::u16string>(u"Maintenance tonight");
  EXPECT_EQ(message(WM_UDP_NOTICE, reinterpret_cast<uintptr_t>(text->c_str()), 0), "ShowNotice Maintenance tonight");
  text.reset();
  EXPECT_EQ(message(WM_UDP_NOTICE, 0, 0), "(0 calls)");
  EXPECT_EQ(message(WM_UDP_NOTICE, 0, 2), "(0 calls)");
}

TEST_F(WindowTables, TimersCountDownThenRetry) {
  actions.listCountdown = &wnd->state().listCountdown;
  actions.guideCountdown = &wnd->state().guideCountdown;
  wnd->state().listCountdown = 3;
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i) seen.push_back(message(WM_TIMER, kListTimer));
  EXPECT_EQ(seen, (std::vector<std::string>{"CountdownTick", "CountdownTick", "CountdownTick", "StartRefresh"}));
  wnd->state().guideCountdown = 1;
  EXPECT_EQ(message(WM_TIMER, kGuideTimer), "TickGuideWait");
  EXPECT_EQ(message(WM_TIMER, kGuideTimer), "RetryGuidePage");
  EXPECT_EQ(message(WM_TIMER, 3), "(0 calls)");
}

// The skin's timers 1 and 2 are the window's WM_TIMER.
TEST_F(WindowTables, SkinTimersArriveAsTimerMessages) {
  wnd->state().listCountdown = 5;
  wnd->setTimer(1, 5);
  ASSERT_TRUE(spinUntil([&] { return !actions.calls.empty(); }, 2000));
  wnd->stopTimer(1);
  EXPECT_EQ(actions.calls.front(), "CountdownTick");
  actions.clear();
  wnd->state().guideCountdown = 0;
  wnd->setTimer(2, 5);
  ASSERT_TRUE(spinUntil([&] { return !actions.calls.empty(); }, 2000));
  wnd->stopTimer(2);
  EXPECT_EQ(actions.calls.front(), "RetryGuidePage");
}

TEST_F(WindowTables, SystemCommands) {
  EXPECT_EQ(message(WM_SYSCOMMAND, SC_CLOSE), "CloseWindow");
  EXPECT_EQ(message(WM_SYSCOMMAND, SC_MAXIMIZE), "Maximise");
  EXPECT_EQ(message(WM_SYSCOMMAND, SC_RESTORE), "Restore");
  EXPECT_EQ(message(WM_SYSCOMMAND, SC_MINIMIZE), "Minimise");
  actions.hold = true;
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1) << "swallowed while playing";
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 0), 1);
  actions.hold = false;
  EXPECT_EQ(wnd->handleMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
}

TEST_F(WindowTables, UnknownMessagesDoNothing) {
  for (uint32_t id : {0x400u, 0x469u, 0x52Eu, 0x658u, 0x65Eu, 0x6BCu})
    EXPECT_EQ(message(id, 1, 1), "(0 calls)") << std::hex << id;
}

TEST_F(WindowTables, CaptionAndPanelClicks) {
  EXPECT_EQ(notification("click", "closebtn"), "CloseWindow");
  EXPECT_EQ(notification("click", "maxbtn"), "Maximise");
  EXPECT_EQ(notification("click", "resbtn"), "Restore");
  EXPECT_EQ(notification("click", "minbtn"), "Minimise");
  EXPECT_EQ(notification("click", "hidebtn"), "HidePanel");
  EXPECT_EQ(notification("click", "cutbtn"), "HidePanel");
  EXPECT_EQ(notification("click", "showbtn"), "ShowPanel");
  EXPECT_EQ(notification("click", "normalbtn"), "ShowPanel");
  EXPECT_EQ(notification("click", "topbtn"), "SetTopmost on");
  EXPECT_EQ(notification("click", "notopbtn"), "SetTopmost off");
  EXPECT_EQ(notification("click", "homebtn"), "OpenHomePage");
  EXPECT_EQ(notification("click", "sourcesbtn"), "OpenSources");
  EXPECT_EQ(notification("click", "upgradebtn"), "StartUpdater");
  EXPECT_EQ(notification("click", "noticeloadbtn"), "RetryGuidePage");
  EXPECT_EQ(notification("click", "listloadbtn"), "StartRefresh");
  EXPECT_EQ(notification("click", "pgupbtn"), "PageChannelList -1");
  EXPECT_EQ(notification("click", "pgdnbtn"), "PageChannelList 1");
}

TEST_F(WindowTables, GuidePageOptionsWhateverTheirState) {
  EXPECT_EQ(notification("selectchanged", "guideplaying"), "ShowGuidePage 0");
  EXPECT_EQ(notification("selectchanged", "guideplay"), "ShowGuidePage 1");
  EXPECT_EQ(notification("selectchanged", "guidefirstday"), "ShowGuidePage 2");
  EXPECT_EQ(notification("selectchanged", "guidesecondday"), "ShowGuidePage 3");
  EXPECT_EQ(notification("selectchanged", "guidethirdday"), "ShowGuidePage 4");
}

TEST_F(WindowTables, ListItems) {
  CListUI* channels = wnd->findList("channellist");
  ASSERT_NE(channels, nullptr);
  channels->add(CListLabelElementUI::Make(QStringLiteral("c7"), QStringLiteral("Seven"), QString(), 29, 220));
  EXPECT_EQ(notification("itemclick", "channellist", 0), "OpenChannelGuide c7 Seven");
  EXPECT_EQ(notification("itemclick", "channellist", 5), "(0 calls)") << "no such item";
  EXPECT_EQ(notification("itemdoubleclick", "channellist", 0), "OnChannelListActivate");
  EXPECT_EQ(notification("itemdoubleclick", "playinglist", 0), "OnPlayingListActivate");
  EXPECT_EQ(notification("itemactivate", "channellist", 0), "OnChannelListActivate");
  EXPECT_EQ(notification("itemactivate", "playinglist", 0), "OnPlayingListActivate");
  EXPECT_EQ(notification("itemselect", "channeltype", 0), "FillChannelList");
  EXPECT_EQ(notification("itemselect", "playinglist", 3), "ShowProgrammeDetails 0 3");
  EXPECT_EQ(notification("itemselect", "playlist", 1), "ShowProgrammeDetails 1 1");
  EXPECT_EQ(notification("itemselect", "thirddaylist", 0), "ShowProgrammeDetails 4 0");
  // The same types from other lists are not the window's business.
  EXPECT_EQ(notification("itemclick", "playinglist", 0), "(0 calls)");
  EXPECT_EQ(notification("itemdoubleclick", "firstdaylist", 0), "(0 calls)");
  EXPECT_EQ(notification("itemselect", "channellist", 0), "(0 calls)");
}

TEST_F(WindowTables, OtherTypesAndSendersDoNothing) {
  EXPECT_EQ(notification("click", "title"), "(0 calls)");
  EXPECT_EQ(notification("click", "guideplaying"), "(0 calls)");
  EXPECT_EQ(notification("selectchanged", "closebtn"), "(0 calls)");
  EXPECT_EQ(notification("hover", "closebtn"), "(0 calls)");
  // The start-up sequence runs once per window.
  EXPECT_EQ(notification("windowinit", "mainlayout"), "(0 calls)");
}

// The skin's own clicks and keys reach the table, not only hand-made
// notifications.
TEST_F(WindowTables, RealClicksAndKeys) {
  wnd->show();
  auto* upgrade = wnd->findButton("upgradebtn");
  ASSERT_NE(upgrade, nullptr);
  actions.clear();
  QTest::mouseClick(upgrade, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(actions.calls.front(), "StartUpdater");

  const std::pair<int, const char*> keys[] = {{Qt::Key_PageUp, "PlayNeighbour -1"},
                                              {Qt::Key_PageDown, "PlayNeighbour 1"},
                                              {Qt::Key_ChannelUp, "PlayNeighbour -1"},
                                              {Qt::Key_ChannelDown, "PlayNeighbour 1"},
                                              {Qt::Key_F11, "ToggleFullScreen"}};
  for (const auto& [key, expected] : keys) {
    actions.clear();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(wnd, &press);
    EXPECT_EQ(actions.calls.front(), expected) << key;
  }
  actions.clear();
  QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QApplication::sendEvent(wnd, &other);
  EXPECT_TRUE(actions.calls.empty());
}

// Once the close sequence has begun nothing is handled: not the table,
// not a worker's message, and a worker's send returns at once.
TEST_F(WindowTables, NothingAfterClosingBegan) {
  wnd->close();
  ASSERT_TRUE(wnd->closing());
  EXPECT_EQ(under.quits, std::vector<int>{0});
  actions.clear();
  EXPECT_EQ(message(WM_CMD_ABOUT), "(0 calls)");
  EXPECT_EQ(notification("click", "closebtn"), "(0 calls)");
  intptr_t sent = -1;
  std::thread worker([&] {
    wnd->target().post(WM_CATALOGUE_LOADED, 0, 0);
    sent = wnd->target().send(WM_UDP_NOTICE, 0, 1);
  });
  worker.join();
  EXPECT_EQ(sent, 0);
  EXPECT_FALSE(wnd->target().alive());
  test::spinFor(50);
  EXPECT_TRUE(actions.calls.empty());
  wnd->close();
  EXPECT_EQ(under.quits.size(), 1u) << "the close sequence runs once";
}

}  // namespace
}  // namespace tembra
