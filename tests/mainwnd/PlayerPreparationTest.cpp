// What the window puts off until it is on the screen: work after its first
// frame (AfterFirstFrame), and the player's slow preparation on a worker
// before the player is made on the GUI thread.
#include <gtest/gtest.h>

#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "mainwnd/AfterFirstFrame.h"
#include "mainwnd/MainWindowTestKit.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TembraPlayerWnd.h"

namespace tembra {
namespace {

using test::spinFor;
using test::spinUntil;
using test::WindowUnderTest;

TEST(AfterFirstFrame, RunsOnceTheWindowIsExposedAndOnlyOnce) {
  QWidget window;
  window.resize(200, 100);
  int runs = 0;
  bool visibleThen = false;
  AfterFirstFrame::call(&window, [&] {
    ++runs;
    visibleThen = window.isVisible();
  });
  spinFor(50);
  EXPECT_EQ(runs, 0) << "not before the window shows";
  window.show();
  ASSERT_TRUE(spinUntil([&] { return runs > 0; }, 3000));
  EXPECT_TRUE(visibleThen);
  window.hide();
  window.show();
  spinFor(100);
  EXPECT_EQ(runs, 1);
}

TEST(AfterFirstFrame, AWindowNeverShownGetsTheWorkAtTheDeadline) {
  QWidget window;
  int runs = 0;
  AfterFirstFrame::call(&window, [&] { ++runs; }, 80);
  spinFor(30);
  EXPECT_EQ(runs, 0);
  ASSERT_TRUE(spinUntil([&] { return runs == 1; }, 2000));
  spinFor(150);
  EXPECT_EQ(runs, 1);
}

TEST(AfterFirstFrame, AWindowGoneFirstDropsTheWork) {
  int runs = 0;
  {
    QWidget window;
    AfterFirstFrame::call(&window, [&] { ++runs; }, 50);
  }
  spinFor(200);
  EXPECT_EQ(runs, 0);
}

// A preparation the test lets finish when it wants.
struct Gate {
  std::mutex lock;
  std::condition_variable changed;
  bool open = false;                // guarded by lock
  std::thread::id ranOn;            // guarded by lock
  std::atomic<int> runs{0};
  void pass() {
    std::unique_lock<std::mutex> hold(lock);
    ranOn = std::this_thread::get_id();
    changed.wait(hold, [this] { return open; });
    ++runs;
  }
  void release() {
    {
      std::lock_guard<std::mutex> hold(lock);
      open = true;
    }
    changed.notify_all();
  }
};

TEST(PlayerPreparation, RunsOnAWorkerOnceThenEveryWaiterOnTheGuiThread) {
  WindowUnderTest under;
  Gate gate;
  TembraPlayerWnd::Setup setup = under.setup();
  setup.preparePlayer = [&gate] { gate.pass(); };
  under.window = std::make_unique<TembraPlayerWnd>(std::move(setup));
  TembraPlayerWnd& wnd = *under.window;
  ASSERT_TRUE(wnd.Create());

  std::vector<std::string> done;
  std::thread::id doneOn;
  wnd.preparePlayer([&] {
    done.push_back("first");
    doneOn = std::this_thread::get_id();
  });
  wnd.preparePlayer([&] { done.push_back("second"); });
  spinFor(100);
  EXPECT_TRUE(done.empty()) << "waiting for the preparation";
  gate.release();
  ASSERT_TRUE(spinUntil([&] { return done.size() == 2; }, 3000));
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(doneOn, std::this_thread::get_id());
  {
    std::lock_guard<std::mutex> hold(gate.lock);
    EXPECT_NE(gate.ranOn, std::this_thread::get_id()) << "prepared on a worker";
  }
  EXPECT_EQ(gate.runs.load(), 1);

  // Prepared already: at once, without another run.
  bool now = false;
  wnd.preparePlayer([&] { now = true; });
  EXPECT_TRUE(now);
  EXPECT_EQ(gate.runs.load(), 1);
}

// A window ended while its preparation still runs waits for it and never
// makes the player.
TEST(PlayerPreparation, AWindowEndedMeanwhileWaitsForTheWorker) {
  WindowUnderTest under;
  Gate gate;
  TembraPlayerWnd::Setup setup = under.setup();
  setup.preparePlayer = [&gate] { gate.pass(); };
  under.window = std::make_unique<TembraPlayerWnd>(std::move(setup));
  ASSERT_TRUE(under.window->Create());
  bool ran = false;
  under.window->preparePlayer([&] { ran = true; });
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    gate.release();
  });
  under.window.reset();
  opener.join();
  EXPECT_EQ(gate.runs.load(), 1) << "joined, not abandoned";
  spinFor(50);
  EXPECT_FALSE(ran);
  EXPECT_EQ(under.player, nullptr);
}

// Before the window has started nobody gets a player by asking for it.
TEST(PlayerPreparation, NoPlayerIsMadeOnDemandBeforeTheStart) {
  WindowUnderTest under;
  TembraPlayerWnd& wnd = under.make();
  ASSERT_TRUE(wnd.Create());
  EXPECT_EQ(wnd.player(), nullptr);
  EXPECT_EQ(under.player, nullptr);
}

}  // namespace
}  // namespace tembra
