#include "mainwnd/SignalBridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <thread>
#include <vector>

#include <unistd.h>

#include "mainwnd/QtTestApp.h"

namespace tembra {
namespace {

volatile sig_atomic_t customHandlerRan = 0;
extern "C" void customHandler(int) { customHandlerRan = 1; }

TEST(SignalBridge, TerminationSignalsArriveOnTheGuiThread) {
  SignalBridge bridge;
  ASSERT_TRUE(bridge.installed());
  std::vector<int> got;
  std::vector<bool> onGui;
  QObject::connect(&bridge, &SignalBridge::received, [&](int n) {
    got.push_back(n);
    onGui.push_back(QThread::currentThread() == qApp->thread());
  });
  ::kill(::getpid(), SIGTERM);
  ASSERT_TRUE(test::spinUntil([&] { return got.size() == 1; }));
  std::thread other([] {
    ::kill(::getpid(), SIGINT);
    ::kill(::getpid(), SIGHUP);
  });
  other.join();
  ASSERT_TRUE(test::spinUntil([&] { return got.size() == 3; }));
  // Two signals pending at once arrive lowest number first, so only the
  // first is in a known place.
  EXPECT_EQ(got[0], SIGTERM);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<int>{SIGHUP, SIGINT, SIGTERM}));
  EXPECT_EQ(onGui, (std::vector<bool>{true, true, true}));
}

TEST(SignalBridge, OneBridgeAtATimeAndThePreviousHandlersComeBack) {
  struct sigaction custom {}, saved {};
  custom.sa_handler = customHandler;
  sigemptyset(&custom.sa_mask);
  ASSERT_EQ(::sigaction(SIGHUP, &custom, &saved), 0);
  {
    SignalBridge bridge;
    ASSERT_TRUE(bridge.installed());
    SignalBridge second;
    EXPECT_FALSE(second.installed());
    int received = 0;
    QObject::connect(&bridge, &SignalBridge::received, [&](int) { ++received; });
    ::kill(::getpid(), SIGHUP);
    ASSERT_TRUE(test::spinUntil([&] { return received == 1; }));
    EXPECT_EQ(customHandlerRan, 0);
  }
  ::kill(::getpid(), SIGHUP);
  EXPECT_EQ(customHandlerRan, 1);
  ::sigaction(SIGHUP, &saved, nullptr);
  SignalBridge again;
  EXPECT_TRUE(again.installed());
}

}  // namespace
}  // namespace tembra
