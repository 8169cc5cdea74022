// The notice channel against the demo service's responder, which lives in a
// network namespace of its own. Needs root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "integration/DemoService.h"
#include "notice/NoticeNetwork.h"
#include "notice/NoticeSocket.h"
#include "notice/UdpChannel.h"

namespace tembra {
namespace {

using namespace std::chrono_literals;
using test::DemoService;
using test::NoticeRecordingWindow;

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return done();
}

DemoService::Setup withNotice(std::vector<std::string> args = {}) {
  DemoService::Setup setup;
  setup.notice = true;
  setup.args = std::move(args);
  return setup;
}

std::string responderAddress(const DemoService& demo) {
  const std::string udp = demo.LineAfter("notice responder on udp://");
  return udp.substr(0, udp.find(':'));
}

// The client's port 36000 is shared with other tests of this machine that
// may run at the same time; wait until it is free.
bool clientPortFree() {
  return eventually([] {
    NoticeSocket probe;
    return probe.open();
  }, 20s);
}

TEST(NoticeChannelDemo, ANoticeSetAtRunTimeReachesTheWindowAsTwoLines) {
  if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
  DemoService demo(withNotice());
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = responderAddress(demo);
  ASSERT_FALSE(address.empty());
  ASSERT_EQ(demo.Post("/demo/notice", "mode=notice&text=Line%20one%23Line%20two%23%23").status, 200);
  ASSERT_TRUE(clientPortFree());
  NoticeRecordingWindow window;
  UdpChannel udp([address] { return address; }, &window);
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, WM_UDP_NOTICE);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_EQ(messages[0].text, u"Line one\nLine two");
  EXPECT_FALSE(udp.pending());
}

TEST(NoticeChannelDemo, AForcedUpgradeTellsTheWindowToUpgrade) {
  if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
  DemoService demo(withNotice({"--forced-upgrade"}));
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = responderAddress(demo);
  ASSERT_TRUE(clientPortFree());
  NoticeRecordingWindow window;
  UdpChannel udp([address] { return address; }, &window);
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_EQ(messages[0].lParam, 1);
}

TEST(NoticeChannelDemo, NothingToDoLeavesItPendingUntilARestartFindsANotice) {
  if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
  DemoService demo(withNotice());
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = responderAddress(demo);
  ASSERT_TRUE(clientPortFree());
  NoticeRecordingWindow window;
  UdpChannel udp([address] { return address; }, &window);
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  EXPECT_TRUE(window.messages().empty());
  EXPECT_TRUE(udp.pending());
  ASSERT_EQ(demo.Post("/demo/notice", "mode=notice&text=Maintenance%20tonight").status, 200);
  ASSERT_TRUE(udp.restart());
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, u"Maintenance tonight");
  EXPECT_NE(demo.Get("/demo/notice").body.find("queries=2"), std::string::npos);
}

}  // namespace
}  // namespace tembra
