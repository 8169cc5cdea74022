// The notice channel against the demo service's responder, which lives in a
// network namespace of its own. Needs root. What each kind of answer means
// to the channel is met against a scripted responder in the notice tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include "integration/DemoService.h"
#include "notice/NoticeNetwork.h"
#include "notice/NoticeSocket.h"
#include "notice/UdpChannel.h"
#include "platform/TestFiles.h"

namespace tembra {
namespace {

using test::DemoService;
using test::eventually;
using test::NoticeRecordingWindow;

// The client's port 36000 is shared with other tests of this machine that
// may run at the same time; wait until it is free.
bool clientPortFree() {
  return eventually([] {
    NoticeSocket probe;
    return probe.open();
  });
}

TEST(NoticeChannelDemo, NothingToDoLeavesItPendingUntilARestartFindsANoticeOfTwoLines) {
  if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
  DemoService demo(DemoService::WithNotice());
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = demo.NoticeAddress();
  ASSERT_FALSE(address.empty());
  ASSERT_TRUE(clientPortFree());
  NoticeRecordingWindow window;
  UdpChannel udp([address] { return address; }, &window);
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  EXPECT_TRUE(window.messages().empty());
  EXPECT_TRUE(udp.pending());
  ASSERT_EQ(demo.Post("/demo/notice", "mode=notice&text=Line%20one%23Line%20two%23%23").status, 200);
  ASSERT_TRUE(udp.restart());
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, WM_UDP_NOTICE);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_EQ(messages[0].seen, "Line one\nLine two");
  EXPECT_FALSE(udp.pending());
  EXPECT_NE(demo.Get("/demo/notice").body.find("queries=2"), std::string::npos);
}

}  // namespace
}  // namespace tembra
