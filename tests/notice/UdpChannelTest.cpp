// The notice channel against a scripted responder on the far side of a veth
// pair, each end in a network namespace of its own. Needs root.
#include "notice/UdpChannel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "notice/NoticeNetwork.h"
#include "notice/NoticeSocket.h"
#include "platform/TestFiles.h"

namespace tembra {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::NoticeNetwork;
using test::NoticeRecordingWindow;
using test::ScriptedResponder;
using Reply = ScriptedResponder::Reply;

// One test's world: the namespaces, a responder on the server side and the
// test thread inside the client namespace, where the channel's worker is
// started and lives.
class UdpChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
    net_ = std::make_unique<NoticeNetwork>();
    ASSERT_TRUE(net_->ok()) << net_->error();
  }
  void TearDown() override {
    channel_.reset();
    inside_.reset();
    responder_.reset();
    net_.reset();
  }

  void respond(std::vector<std::vector<Reply>> script) {
    NoticeNetwork::Inside server(net_->serverName());
    ASSERT_TRUE(server.entered());
    responder_ = std::make_unique<ScriptedResponder>(std::move(script));
    ASSERT_TRUE(responder_->ok());
  }
  // Everything the test thread makes from here on lives on the client side.
  void enterClient() {
    inside_ = std::make_unique<NoticeNetwork::Inside>(net_->clientName());
    ASSERT_TRUE(inside_->entered());
  }
  UdpChannel& start(UdpChannel::Timing timing = {}) {
    if (!inside_) enterClient();
    channel_ = std::make_unique<UdpChannel>([this] { return address(); }, &window_, timing);
    return *channel_;
  }
  std::string address() {
    std::lock_guard g(addressLock_);
    return address_;
  }
  void setAddress(std::string a) {
    std::lock_guard g(addressLock_);
    address_ = std::move(a);
  }
  size_t queries() const { return responder_->queries().size(); }

  std::unique_ptr<NoticeNetwork> net_;
  std::unique_ptr<ScriptedResponder> responder_;
  std::unique_ptr<NoticeNetwork::Inside> inside_;
  NoticeRecordingWindow window_;
  std::mutex addressLock_;
  std::string address_ = NoticeNetwork::kServer;  // guarded by addressLock_
  std::unique_ptr<UdpChannel> channel_;
};

TEST_F(UdpChannelTest, ANoticeOfTwoLinesReachesTheWindowOnce) {
  respond({{{"^1|x|Line one#Line two##|0$"}}});
  UdpChannel& udp = start();
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, 0x52Du);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_NE(messages[0].wParam, 0u);
  EXPECT_EQ(messages[0].seen, "Line one\nLine two");
  EXPECT_FALSE(udp.pending());
  // The query, byte for byte, from the client's own port 36000.
  const auto q = responder_->queries();
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].bytes, std::string("^001|1#1.0.2|cn$\0", 17));
  EXPECT_EQ(q[0].sender, std::string(NoticeNetwork::kClient) + ":36000");
  // Nothing more to ask once answered.
  EXPECT_FALSE(udp.restart());
}

TEST_F(UdpChannelTest, AForcedUpgradePassesNoText) {
  respond({{{"^1|x|Update now|1$"}}});
  UdpChannel& udp = start();
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, WM_UDP_NOTICE);
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_EQ(messages[0].lParam, 1);
  EXPECT_FALSE(udp.pending());
}

TEST_F(UdpChannelTest, NothingToDoEndsTheWorkerStillPendingAndARestartAsksAgain) {
  respond({{{"^0$"}}, {{"^1|x|Later news|0$"}}});
  UdpChannel& udp = start();
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  EXPECT_TRUE(window_.messages().empty());
  EXPECT_TRUE(udp.pending());
  EXPECT_EQ(queries(), 1u);
  ASSERT_TRUE(udp.restart());
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  ASSERT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(window_.messages()[0].seen, "Later news");
  EXPECT_EQ(queries(), 2u);
}

TEST_F(UdpChannelTest, ARestartWhileTheWorkerWaitsStartsNoSecondOne) {
  respond({});  // never answers
  UdpChannel& udp = start({10s, 100ms});
  ASSERT_TRUE(eventually([&] { return queries() == 1; }));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(udp.restart());
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(queries(), 1u);
  EXPECT_TRUE(udp.running());
}

TEST_F(UdpChannelTest, MalformedAnswersAreAskedAgainAfterASecond) {
  respond({{{"^1|x$"}}, {{"1|x|y|0$"}}, {{"^1|x|" + std::string(3000, 'z') + "|0$"}}, {{"^1|x|Third time|0$"}}});
  UdpChannel& udp = start();
  ASSERT_TRUE(eventually([&] { return !udp.running(); }, 15s));
  const auto q = responder_->queries();
  ASSERT_EQ(q.size(), 4u);
  for (size_t i = 1; i < q.size(); ++i) {
    EXPECT_GE(q[i].at - q[i - 1].at, 900ms);
    EXPECT_LT(q[i].at - q[i - 1].at, 3s);
    EXPECT_EQ(q[i].bytes, q[0].bytes);
  }
  ASSERT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(window_.messages()[0].seen, "Third time");
}

TEST_F(UdpChannelTest, DatagramsFromOtherSendersAreIgnored) {
  using From = ScriptedResponder::From;
  respond({{{"^1|x|Upgrade now|1$", From::Stranger},
            {"^1|x|Upgrade now|1$", From::ServerOtherPort},
            {"^1|x|From the server|0$", From::Server}}});
  UdpChannel& udp = start();
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto messages = window_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_EQ(messages[0].seen, "From the server");
  EXPECT_EQ(queries(), 1u);
}

TEST_F(UdpChannelTest, WithoutAnAnswerTheQueryIsSentAgainAfterTheWait) {
  respond({{}, {}, {{"^1|x|At last|0$"}}});
  UdpChannel& udp = start({300ms, 100ms});
  ASSERT_TRUE(eventually([&] { return !udp.running(); }));
  const auto q = responder_->queries();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_GE(q[1].at - q[0].at, 350ms);
  EXPECT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(udp.queriesSent(), 3u);
}

TEST_F(UdpChannelTest, PortInUseOrNoServerAddressEndsTheWorkerAtOnce) {
  respond({{{"^1|x|Reached|0$"}}});
  enterClient();
  {
    NoticeSocket squatter;
    ASSERT_TRUE(squatter.open());
    UdpChannel& udp = start();
    ASSERT_TRUE(eventually([&] { return !udp.running(); }));
    EXPECT_EQ(udp.queriesSent(), 0u);
    EXPECT_TRUE(udp.pending());
  }
  // An empty address goes to the broadcast address, which is refused.
  setAddress("");
  ASSERT_TRUE(channel_->restart());
  ASSERT_TRUE(eventually([&] { return !channel_->running(); }));
  EXPECT_EQ(channel_->queriesSent(), 0u);
  // The address is read anew for each query.
  setAddress(NoticeNetwork::kServer);
  ASSERT_TRUE(channel_->restart());
  ASSERT_TRUE(eventually([&] { return !channel_->running(); }));
  ASSERT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(window_.messages()[0].seen, "Reached");
}

TEST_F(UdpChannelTest, DestroyingTheChannelStopsAWaitingWorkerPromptly) {
  respond({});
  start();
  ASSERT_TRUE(eventually([&] { return queries() == 1; }));
  const auto before = std::chrono::steady_clock::now();
  channel_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_TRUE(window_.messages().empty());
}

}  // namespace
}  // namespace tembra
