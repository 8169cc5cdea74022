// The real QSystemTrayIcon on a private session bus with the fake tray
// host: the icon registers with the watcher, clicks on it come over D-Bus
// and go to the window as WM_TRAY_CALLBACK, a balloon reaches the
// notification server cut to its limits, and its click comes back.
//
// Qt takes the status-notifier path only on xcb (offscreen has no tray at
// all, watcher or not) and decides once per process whether a watcher is
// there, so the icon side runs in a child copy of this test program, on a
// private X server, with the bus in its environment from the start. The
// child's test is registered only in that child.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "mainwnd/CTrayMenu.h"
#include "mainwnd/ChildProcess.h"
#include "mainwnd/FakeTrayHostProcess.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/TrayRecordingTarget.h"
#include "mainwnd/TraySkinFolder.h"
#include "mainwnd/WindowState.h"
#include "mainwnd/XvfbServer.h"
#include "platform/ModulePath.h"

namespace tembra {
namespace {

using test::TrayMessage;

constexpr const char* kChildVariable = "TEMBRA_TRAY_BUS_CHILD";
constexpr int kWaitMs = 20000;

// The tip: one character under the limit.
QString tip() { return QString(TrayIcon::kMaxTip - 1, u'~') + u'!'; }
// A notice title and text over their limits, with a surrogate pair where
// the text's cut falls.
QString balloonTitle() { return QString(70, u'T'); }
QString balloonText() { return QString(254, u'b') + QString::fromUtf8("\xF0\x9F\x93\xBA") + QString(40, u'z'); }

std::string selfPath() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// --- The icon side, in the child -------------------------------------------

void say(const std::string& line) {
  std::printf("child %s\n", line.c_str());
  std::fflush(stdout);
}

class RealIconChild : public ::testing::Test {
 protected:
  // The next post of the icon, once it has come; it is then handed to the
  // icon's rule, as the main window's message table does.
  bool nextClick(intptr_t lParam) {
    const size_t before = target.messages.size();
    if (!test::spinUntil([&] { return target.messages.size() > before; }, kWaitMs)) return false;
    const TrayMessage m = target.messages.back();
    EXPECT_EQ(m, test::posted(WM_TRAY_CALLBACK, TrayIcon::kIconId, lParam));
    tray.callback(m.lParam);
    return m == test::posted(WM_TRAY_CALLBACK, TrayIcon::kIconId, lParam);
  }

  void TestBody() override {
    ModulePath::record();
    test::TraySkinFolder skin;
    window.resize(400, 300);
    window.show();

    // Refused before the tray is even looked at; then added.
    EXPECT_FALSE(tray.add(QString(TrayIcon::kMaxTip + 1, u'x')));
    EXPECT_FALSE(state.trayIconAdded);
    EXPECT_EQ(tray.icon(), nullptr);
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable()) << "no status-notifier watcher seen";
    ASSERT_TRUE(tray.add(tip()));
    EXPECT_TRUE(state.trayIconAdded);
    say("added");

    ASSERT_TRUE(nextClick(TrayIcon::kLeftButtonDown));
    EXPECT_EQ(CTrayMenu::current(), nullptr);
    say("left");

    ASSERT_TRUE(nextClick(TrayIcon::kRightButtonUp));
    ASSERT_NE(CTrayMenu::current(), nullptr);
    EXPECT_TRUE(CTrayMenu::current()->isVisible());
    CTrayMenu::current()->close();
    say("menu");

    // A click on a notification before this program showed any balloon.
    ASSERT_TRUE(nextClick(TrayIcon::kBalloonUserClick));
    EXPECT_EQ(target.messages.size(), 3u) << "nothing sent";
    say("early-click");

    tray.showBalloon(balloonTitle(), balloonText());
    EXPECT_EQ(state.balloonClickMessage, static_cast<int>(WM_BALLOON_CLICKED));
    say("balloon");
    ASSERT_TRUE(nextClick(TrayIcon::kBalloonUserClick));
    ASSERT_EQ(target.messages.size(), 5u);
    EXPECT_EQ(target.messages.back(), test::sentMsg(WM_BALLOON_CLICKED));
    say("balloon-click");

    tray.remove();
    EXPECT_FALSE(state.trayIconAdded);
    say("removed");
    // Stay until the host has tried the removed icon.
    test::spinFor(1500);
  }

  QWidget window;
  WindowState state;
  test::TrayRecordingTarget target;
  TrayIcon tray{window, state, target};
};

[[maybe_unused]] const bool childRegistered = [] {
  if (std::getenv(kChildVariable) == nullptr) return false;
  ::testing::RegisterTest("TrayBusChild", "RealIcon", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new RealIconChild; });
  return true;
}();

// --- The desktop side, in this process ---------------------------------------

TEST(TrayOnBus, RealIconRegistersIsClickedAndItsBalloonComesBack) {
  if (std::system("command -v dbus-run-session >/dev/null 2>&1") != 0) GTEST_SKIP() << "dbus-run-session is missing";
  test::XvfbServer x;
  if (x.display().empty()) GTEST_SKIP() << "Xvfb is missing or did not start";
  const std::string bin = ModulePath::record();
  test::FakeTrayHostProcess host(bin + "fake-tray-host");
  ASSERT_FALSE(host.address().empty()) << host.transcript();

  test::ChildProcess child(selfPath(), {"--gtest_filter=TrayBusChild.*"},
                           {{kChildVariable, "1"},
                            {"DBUS_SESSION_BUS_ADDRESS", host.address()},
                            {"DISPLAY", x.display()},
                            {"QT_QPA_PLATFORM", "xcb"},
                            // Raster windows only: without GL, Mesa is never loaded
                            // (its unload leaves allocations the leak checker reports).
                            {"QT_XCB_GL_INTEGRATION", "none"}},
                           {"XDG_CURRENT_DESKTOP", "QT_QPA_PLATFORMTHEME"});
  ASSERT_TRUE(child.started());
  auto childSaid = [&](const std::string& what) {
    const std::string line = "child " + what + "\n";
    return test::spinUntil([&] { return child.out().find(line) != std::string::npos || !child.running(); }, kWaitMs) &&
           child.out().find(line) != std::string::npos;
  };
  auto why = [&] { return "host:\n" + host.transcript() + "child:\n" + child.out() + child.err(); };

  const auto registered = host.waitFor("registered", kWaitMs);
  ASSERT_TRUE(registered) << why();
  EXPECT_EQ(registered->value(2), "/StatusNotifierItem");
  ASSERT_TRUE(childSaid("added")) << why();
  EXPECT_EQ(host.take("registered"), std::nullopt) << "the refused tip registered nothing";

  host.command("tooltip");
  const auto tooltip = host.waitFor("reply", kWaitMs);
  ASSERT_TRUE(tooltip) << why();
  EXPECT_EQ(tooltip->value(2), tip()) << "the whole tip of 127 characters";

  host.command("activate 12 790");
  ASSERT_TRUE(childSaid("left")) << why();
  host.command("context 12 790");
  ASSERT_TRUE(childSaid("menu")) << why();
  // A click on some notification before any balloon: posted, nothing sent.
  host.command("invoke 42");
  ASSERT_TRUE(childSaid("early-click")) << why();

  ASSERT_TRUE(childSaid("balloon")) << why();
  const auto note = host.waitFor("notify", kWaitMs);
  ASSERT_TRUE(note) << why();
  EXPECT_EQ(note->value(3), QString(63, u'T'));
  EXPECT_EQ(note->value(4), QString(254, u'b')) << "cut at 255, before the pair it would split";
  EXPECT_EQ(note->value(5), "10000");
  host.command("invoke " + note->value(1).toStdString());
  ASSERT_TRUE(childSaid("balloon-click")) << why();

  ASSERT_TRUE(childSaid("removed")) << why();
  host.command("activate");
  const auto gone = host.waitFor("error", kWaitMs);
  ASSERT_TRUE(gone) << why();
  EXPECT_EQ(gone->value(1), "activate") << "the removed icon no longer answers";

  ASSERT_TRUE(test::spinUntil([&] { return !child.running(); }, kWaitMs)) << why();
  EXPECT_EQ(child.exitCode(), 0) << why();
  EXPECT_TRUE(host.waitFor("unregistered", kWaitMs)) << why();
}

}  // namespace
}  // namespace tembra
