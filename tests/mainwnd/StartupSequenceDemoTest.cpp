// The main window's start-up sequence against the demo operator service on
// loopback: what it makes, in which order, what the statistics collector
// receives, and what happens when the service is not there.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "ads/AdUpdater.h"
#include "guide/ProgrammeGuide.h"
#include "integration/DemoService.h"
#include "mainwnd/MainWindowActions.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/StartupSequence.h"
#include "mainwnd/StartupTrace.h"
#include "mainwnd/StreamAddress.h"
#include "source/GuideSource.h"
#include "notice/UdpChannel.h"
#include "platform/Utf.h"
#include "skin/CListUI.h"
#include "skin/SkinControl.h"
#include "service/ServiceClient.h"
#include "stats/StatsBacklog.h"

namespace tembra {
namespace {

using test::DemoService;
using test::spinUntil;
using test::WindowUnderTest;

// The window's own actions, each one also written down, with whether the
// window was on screen at the time.
class WatchedActions : public test::RecordingActions {
 public:
  TembraPlayerWnd* window = nullptr;
  std::unique_ptr<MainWindowActions> real;

  void note(const std::string& what) { calls.push_back(what + (window->isVisible() ? " shown" : " hidden")); }
  void RunStartup() override {
    note("RunStartup");
    real->RunStartup();
  }
  void OnCatalogueLoaded() override { note("OnCatalogueLoaded"); }
  void ShowRightAd() override {
    note("ShowRightAd");
    real->ShowRightAd();
  }
  void OnGuideDownloaded(GuidePage page, bool ok) override {
    note("OnGuideDownloaded " + std::to_string(static_cast<int>(page)) + (ok ? " ok" : " failed"));
  }
};

// Positions of the record codes in what the collector received, in order.
std::vector<std::string> recordCodes(const std::string& received) {
  std::vector<std::pair<size_t, std::string>> found;
  for (const char* code : {"00006", "02008", "06001", "00007", "02011"}) {
    const std::string quoted = std::string("\\\"") + code + "\\\"";
    for (size_t at = received.find(quoted); at != std::string::npos; at = received.find(quoted, at + 1))
      found.emplace_back(at, code);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> codes;
  for (auto& [at, code] : found) codes.push_back(code);
  return codes;
}

class StartupAgainstDemo : public ::testing::Test {
 protected:
  // Makes the window over config.ini as written for the demo (or as the
  // test then changes it) and runs its start-up.
  // prepare, when given, is the player's preparation on its worker.
  void startWindow(const std::function<void(ConfigStore&)>& adjust = {}, std::function<void()> prepare = {}) {
    TembraPlayerWnd::Setup setup = under.setup();
    if (adjust) adjust(*under.config);
    setup.actions = &actions;
    setup.stats.measureClock = true;
    setup.preparePlayer = [this, prepare = std::move(prepare)] {
      {
        std::lock_guard<std::mutex> hold(preparedLock);
        preparedOn.push_back(std::this_thread::get_id());
      }
      if (prepare) prepare();
    };
    setup.endSplash = [this] { splashEndedWhileHidden = !under.window->isVisible(); ++under.splashEnded; };
    under.window = std::make_unique<TembraPlayerWnd>(std::move(setup));
    actions.window = under.window.get();
    actions.real = std::make_unique<MainWindowActions>(*under.window);
    ASSERT_TRUE(under.window->Create());
    // A worker's message before the sequence has even begun.
    std::thread([w = under.window.get()] { w->target().post(WM_CATALOGUE_LOADED, 0, 0); }).join();
    ASSERT_TRUE(spinUntil([&] { return under.window->started(); }, 60000));
  }

  WindowUnderTest under;
  WatchedActions actions;
  bool splashEndedWhileHidden = false;
  std::mutex preparedLock;
  std::vector<std::thread::id> preparedOn;  // guarded by preparedLock
};

TEST_F(StartupAgainstDemo, MakesEverythingInOrderThenShowsTheWindow) {
  DemoService demo({"--write-config", under.dir.path()});
  ASSERT_TRUE(demo.started()) << demo.error();
  startWindow();
  TembraPlayerWnd& wnd = *under.window;

  EXPECT_TRUE(wnd.isVisible());
  {
    std::lock_guard<std::mutex> hold(preparedLock);
    EXPECT_TRUE(preparedOn.empty()) << "nothing of the player before the window's first frame";
  }
  EXPECT_EQ(under.player, nullptr);
  // The player comes once the window has shown its first frame, shown,
  // and then the window says it is all there.
  ASSERT_TRUE(spinUntil([&] { return under.player != nullptr; }, 10000));
  EXPECT_TRUE(under.player->widget()->isVisible());
  ASSERT_TRUE(spinUntil([&] { return wnd.property(StartupTrace::kSettledProperty).toBool(); }, 10000));
  {
    // Its library loads on a worker.
    std::lock_guard<std::mutex> hold(preparedLock);
    ASSERT_EQ(preparedOn.size(), 1u);
    EXPECT_NE(preparedOn[0], std::this_thread::get_id());
  }
  // Made after sign-in: its forced authentication is the plan of the server
  // in use.
  EXPECT_EQ(under.player->authUrl, under.service->GetPlanBase() + u"pc/forceauth");
  EXPECT_FALSE(under.service->GetPlanBase().empty());
  EXPECT_EQ(under.splashEnded, 1);
  EXPECT_TRUE(splashEndedWhileHidden) << "the splash ends before the window shows";
  EXPECT_EQ(under.service->catalogueLoaded(), 1);
  EXPECT_FALSE(under.service->sessionId().empty());
  ASSERT_NE(wnd.stats(), nullptr);
  ASSERT_NE(wnd.source().guide(), nullptr);
  EXPECT_EQ(wnd.source().guide()->GetDayState(0), GuideSource::DayState::Loaded) << "today came with the guide";
  ASSERT_NE(wnd.udpChannel(), nullptr);
  EXPECT_TRUE(spinUntil([&] { return wnd.udpChannel()->queriesSent() > 0; }, 5000)) << "the notice query went out";
  ASSERT_NE(wnd.adUpdater(), nullptr);
  // Its pass sends to the window, which must keep handling messages.
  ASSERT_TRUE(spinUntil([&] { return wnd.adUpdater()->WaitForPass(std::chrono::milliseconds(0)); }, 20000));
  const AdRefreshReport ads = wnd.adUpdater()->report();
  EXPECT_EQ(ads.end, AdRefreshReport::End::Done) << AdRefreshReport::Name(ads.end) << " " << ads.detail;
  EXPECT_GE(ads.messagesSent, 1);

  // Held while starting, delivered once shown: the early catalogue message,
  // then the ad pane after the first picture (with whatever ad the updater
  // stored before it) and each ad stored after that.
  ASSERT_TRUE(spinUntil([&] {
    return std::count(actions.calls.begin(), actions.calls.end(), "ShowRightAd shown") >= 1;
  }, 10000)) << ::testing::PrintToString(actions.calls);
  EXPECT_EQ(actions.calls[0], "RunStartup hidden");
  EXPECT_EQ(actions.calls[1], "OnCatalogueLoaded shown");
  for (size_t i = 1; i < actions.calls.size(); ++i)
    EXPECT_EQ(actions.calls[i].find("hidden"), std::string::npos) << actions.calls[i];

  wnd.close();
  ASSERT_EQ(under.quits, std::vector<int>{0});
  const auto received = demo.Get("/demo/records");
  ASSERT_EQ(received.status, 200);
  EXPECT_EQ(recordCodes(received.body), (std::vector<std::string>{"00006", "02008", "06001", "00007"}))
      << received.body;
}

TEST_F(StartupAgainstDemo, ZappingKeepsTheDayListsOnTheChannelPlaying) {
  DemoService demo({"--write-config", under.dir.path()});
  ASSERT_TRUE(demo.started()) << demo.error();
  startWindow();
  TembraPlayerWnd& wnd = *under.window;
  CListUI* list = wnd.findList(QStringLiteral("channellist"));
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->count(), 2);
  const auto id = [&](int i) { return list->item(i)->name.toStdU16String(); };

  // The now-playing page stays where it is.
  actions.real->PlayNeighbour(+1);
  EXPECT_EQ(wnd.state().currentChannelId, id(0));
  EXPECT_TRUE(wnd.state().guideChannelId.empty());
  // Reading a channel's days, the next channel brings its own days along.
  actions.real->OpenChannelGuide(id(0), list->item(0)->text.toStdU16String());
  actions.real->PlayNeighbour(+1);
  EXPECT_EQ(wnd.state().currentChannelId, id(1));
  EXPECT_EQ(wnd.state().guideChannelId, id(1));
  wnd.close();
}

// Channels played while the player's library still loads wait for it on
// the worker (not on the GUI thread), then reach the player, in order.
TEST_F(StartupAgainstDemo, ChannelsPlayedBeforeThePlayerIsMadeReachItInOrder) {
  DemoService demo({"--write-config", under.dir.path()});
  ASSERT_TRUE(demo.started()) << demo.error();
  std::mutex gateLock;
  std::condition_variable gateChanged;
  bool open = false;
  startWindow({}, [&] {
    std::unique_lock<std::mutex> hold(gateLock);
    gateChanged.wait(hold, [&] { return open; });
  });
  TembraPlayerWnd& wnd = *under.window;
  CListUI* list = wnd.findList(QStringLiteral("channellist"));
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->count(), 2);
  actions.real->PlayNeighbour(+1);
  actions.real->PlayNeighbour(+1);
  test::spinFor(100);
  EXPECT_EQ(under.player, nullptr) << "made only once its library is there";
  EXPECT_EQ(wnd.player(), nullptr);
  EXPECT_FALSE(wnd.property(StartupTrace::kSettledProperty).toBool());
  {
    std::lock_guard<std::mutex> hold(gateLock);
    open = true;
  }
  gateChanged.notify_all();
  ASSERT_TRUE(spinUntil([&] { return under.player != nullptr && under.player->addresses.size() == 2; }, 10000));
  const ChannelSource& source = wnd.source();
  const auto addressOf = [&](int row) {
    return StreamAddress::ForPlayer(source.streamFor(list->item(row)->name.toStdU16String())->address);
  };
  EXPECT_EQ(under.player->addresses[0], addressOf(0));
  EXPECT_EQ(under.player->addresses[1], addressOf(1));
  EXPECT_NE(wnd.player(), nullptr);
  wnd.close();
}

TEST_F(StartupAgainstDemo, ServiceDownStillShowsTheWindowAndCountsDown) {
  // Nothing listens there: sign-in fails at once.
  startWindow([](ConfigStore& config) {
    config.WriteValue(u"ServerUrl", u"http://127.0.0.1:9<EOF>");
  });
  TembraPlayerWnd& wnd = *under.window;
  EXPECT_TRUE(wnd.isVisible());
  EXPECT_EQ(under.splashEnded, 1);
  EXPECT_EQ(under.service->catalogueLoaded(), 0);
  ASSERT_NE(wnd.source().guide(), nullptr) << "made without a session; it waits for one";
  ASSERT_NE(wnd.udpChannel(), nullptr);
  ASSERT_NE(wnd.adUpdater(), nullptr);
  // The channel list counts down to its retry.
  EXPECT_TRUE(wnd.isTimerActive(1));
  EXPECT_TRUE(wnd.findControl("listload")->isVisible());
  EXPECT_FALSE(wnd.findControl("listlayout")->isVisible());
  wnd.close();
  const auto records = StatsBacklog::Load(under.dir.file("bi.dat"));
  std::string all;
  for (const auto& r : records) all += toUtf8(r) + "\n";
  EXPECT_EQ(all.find("\"02008\""), std::string::npos) << "no catalogue, no catalogue record";
}

}  // namespace
}  // namespace tembra
