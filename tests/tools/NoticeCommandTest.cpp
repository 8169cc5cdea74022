#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "notice/NoticeNetwork.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;
using test::NoticeNetwork;
using test::ScriptedResponder;

TEST(NoticeCommand, RefusesBadArguments) {
  EXPECT_EQ(runTool({"notice"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "ask", "10.0.0.1"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "query"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "query", "server.example"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "query", "10.0.0.1", "--wait", "0"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "query", "10.0.0.1", "--wait"}).exitCode, 2);
  EXPECT_EQ(runTool({"notice", "query", "10.0.0.1", "10.0.0.2"}).exitCode, 2);
}

// Runs the tool inside the client namespace against a scripted server.
class NoticeCommandNet : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << test::kNotRoot;
    net_ = std::make_unique<NoticeNetwork>();
    ASSERT_TRUE(net_->ok()) << net_->error();
  }
  testing::ToolResult ask(std::vector<std::vector<ScriptedResponder::Reply>> script,
                          const std::string& wait = "5") {
    {
      NoticeNetwork::Inside server(net_->serverName());
      if (!server.entered()) return {};
      responder_ = std::make_unique<ScriptedResponder>(std::move(script));
    }
    NoticeNetwork::Inside client(net_->clientName());
    if (!client.entered()) return {};
    // The tool's process starts in the namespace of the thread that forks it.
    auto result = runTool({"notice", "query", NoticeNetwork::kServer, "--wait", wait});
    responder_.reset();
    return result;
  }
  std::unique_ptr<NoticeNetwork> net_;
  std::unique_ptr<ScriptedResponder> responder_;
};

TEST_F(NoticeCommandNet, SaysWhatEachAnswerMeans) {
  auto notice = ask({{{"^1|x|Line one#Line two##|0$"}}});
  EXPECT_EQ(notice.exitCode, 0) << notice.err;
  EXPECT_EQ(notice.out, "notice\nLine one\nLine two\n");
  auto forced = ask({{{"^1|x|Update now|1$"}}});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(forced.out, "forced upgrade\n");
  auto nothing = ask({{{"^0$"}}});
  EXPECT_EQ(nothing.exitCode, 0) << nothing.err;
  EXPECT_EQ(nothing.out, "nothing to do\n");
  auto malformed = ask({{{"^1|x$"}}});
  EXPECT_EQ(malformed.exitCode, 1);
  EXPECT_EQ(malformed.out, "malformed: ^1|x$\n");
}

TEST_F(NoticeCommandNet, NoAnswerFromTheServerWithinTheWaitIsANegativeAnswer) {
  auto stranger = ask({{{"^1|x|Update now|1$", ScriptedResponder::Stranger}}}, "1");
  EXPECT_EQ(stranger.exitCode, 1);
  EXPECT_EQ(stranger.out, "");
  EXPECT_NE(stranger.err.find("no answer from 10.36.0.2:36000 within 1 s"), std::string::npos) << stranger.err;
}

}  // namespace
}  // namespace tembra
