// The player on libmpv against the demo service's live channel streams,
// headless (null video and audio outputs, the view never shown).
#include <gtest/gtest.h>

#include <httplib.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "TempDir.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "player/HeadlessPlayer.h"
#include "player/PlayerTestApp.h"

namespace tembra {
namespace {

using test::DemoService;
using test::WaitFor;

// The first request for a channel may wait for ffmpeg to make its segment.
constexpr int kFirstPictureMs = 90000;

DemoService::Setup twoChannels() {
  DemoService::Setup setup;
  setup.args = {"--groups", "1", "--channels-per-group", "2", "--stream-seconds", "4"};
  return setup;
}

class PlayerDemoStream : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PlayerTestApp();
    if (!DemoService::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing: the demo has no streams";
  }

  void startPlayer(const std::u16string& planBase) {
    host_ = test::HeadlessHost(dir_.file("player.ini"), player_);
    ASSERT_TRUE(host_->StartPlayer({0, 0, 640, 360}, planBase, u"/nowhere/"));
  }

  bool playing(int ms = kFirstPictureMs) {
    return WaitFor([&] { return player_->state() == MpvPlayer::State::Playing; }, ms);
  }

  test::TempDir dir_{"player-demo"};
  MpvPlayer* player_ = nullptr;
  std::unique_ptr<PlayerHost> host_;
};

TEST_F(PlayerDemoStream, LiveChannelPlaysOnAndSwitchesAndStops) {
  DemoService demo(twoChannels());
  ASSERT_TRUE(demo.started()) << demo.error();
  startPlayer(u"");
  host_->PlayAddress(fromUtf8(demo.base() + "/stream/10001"), u"First");
  ASSERT_TRUE(playing()) << player_->errorText().toStdString();
  EXPECT_NE(host_->QueryState(2), 0);
  // Paced like a live source: frames keep coming past the segment's loop.
  const int64_t start = player_->estimatedFrameNumber();
  ASSERT_TRUE(WaitFor([&] { return player_->estimatedFrameNumber() >= start + 125; }, 30000))
      << "at frame " << player_->estimatedFrameNumber();
  EXPECT_EQ(player_->state(), MpvPlayer::State::Playing);

  host_->PlayAddress(fromUtf8(demo.base() + "/stream/10002"), u"Second");
  ASSERT_TRUE(playing()) << player_->errorText().toStdString();
  EXPECT_EQ(player_->channelName(), "Second");
  ASSERT_TRUE(WaitFor([&] { return player_->estimatedFrameNumber() >= 10; }, 20000));

  host_->StopPlayer();
  EXPECT_EQ(host_->QueryState(2), 0);
  test::Spin(300);
  EXPECT_EQ(player_->state(), MpvPlayer::State::Idle);
  EXPECT_TRUE(WaitFor([&] { return demo.Get("/demo/status").body.find("streams=0") != std::string::npos; }, 10000))
      << "the stopped stream's connection is closed: " << demo.Get("/demo/status").body;
}

TEST_F(PlayerDemoStream, ServerThatGoesAwayMidStreamIsReconnectedToUntilAnotherChannelIsAskedFor) {
  DemoService demo(twoChannels());
  ASSERT_TRUE(demo.started()) << demo.error();
  startPlayer(u"");
  host_->PlayAddress(fromUtf8(demo.base() + "/stream/10001"), u"First");
  ASSERT_TRUE(playing()) << player_->errorText().toStdString();
  demo.Stop();
  ASSERT_TRUE(WaitFor([&] { return player_->state() == MpvPlayer::State::Reconnecting; }, 40000));
  EXPECT_EQ(player_->errorText(), "The stream was interrupted, reconnecting...");
  EXPECT_NE(host_->QueryState(2), 0) << "a short outage does not let the screen blank";
  ASSERT_TRUE(WaitFor([&] { return player_->reconnectAttempts() >= 2; }, 10000)) << "1 s, then 2 s";
  EXPECT_EQ(player_->state(), MpvPlayer::State::Reconnecting);

  host_->StopPlayer();
  EXPECT_EQ(player_->msToNextReconnect(), -1);
  EXPECT_EQ(host_->QueryState(2), 0);
}

// The stream fault answers the same 404 as an unknown channel does.
TEST_F(PlayerDemoStream, UnknownChannelFailsReadably) {
  DemoService demo(twoChannels());
  ASSERT_TRUE(demo.started()) << demo.error();
  startPlayer(u"");
  host_->PlayAddress(fromUtf8(demo.base() + "/stream/99999"), u"Nope");
  ASSERT_TRUE(WaitFor([&] { return player_->state() == MpvPlayer::State::Failed; }, 20000));
  EXPECT_FALSE(player_->errorText().isEmpty());
  EXPECT_EQ(host_->QueryState(2), 0);
}

// Stands where an operator's stream server would check the credentials:
// it records the headers of each stream request and relays the demo
// service's stream, credentials included, so playback runs through it.
class RecordingRelay {
 public:
  explicit RecordingRelay(uint16_t demoPort) : demoPort_(demoPort) {
    server_.Get(R"(/stream/([^/]+))", [this](const httplib::Request& req, httplib::Response& res) {
      httplib::Headers forward;
      {
        std::lock_guard g(lock_);
        seen_.push_back({});
        for (const auto& [name, value] : req.headers) {
          seen_.back()[name] = value;
          if (name.rfind("X-Tembra-", 0) == 0) forward.emplace(name, value);
        }
      }
      const std::string path = req.path;
      res.set_chunked_content_provider("video/mp2t", [this, path, forward](size_t, httplib::DataSink& sink) {
        httplib::Client upstream("127.0.0.1", demoPort_);
        upstream.set_read_timeout(30, 0);
        upstream.Get(path, forward,
                     [&](const char* data, size_t n) { return !stopping_.load() && sink.write(data, n); });
        sink.done();
        return true;
      });
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ~RecordingRelay() {
    // A relayed stream ends with the next chunk, so stop() finds its
    // workers free.
    stopping_ = true;
    server_.stop();
    thread_.join();
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::vector<std::map<std::string, std::string>> seen() {
    std::lock_guard g(lock_);
    return seen_;
  }

 private:
  uint16_t demoPort_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex lock_;  // guards seen_ (relay worker threads and the test)
  std::vector<std::map<std::string, std::string>> seen_;
};

TEST_F(PlayerDemoStream, AuthenticationValuesTravelAsHeadersToThePlansOriginOnly) {
  DemoService demo(twoChannels());
  ASSERT_TRUE(demo.started()) << demo.error();
  RecordingRelay relay(demo.port());
  startPlayer(fromUtf8(relay.base() + "/"));
  EXPECT_EQ(player_->auth().url(), relay.base() + "/pc/forceauth");
  ASSERT_EQ(demo.Get("/pc/forceauth").status, 200) << "the demo answers the forced authentication";

  host_->PlayAddress(fromUtf8(relay.base() + "/stream/10001"), u"Through the plan host");
  ASSERT_TRUE(playing()) << player_->errorText().toStdString();
  auto seen = relay.seen();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0]["X-Tembra-Auth-First"], "vek");
  EXPECT_EQ(seen[0]["X-Tembra-Auth-Second"], "vek");

  // With the plan on another port, the same relay gets none.
  host_.reset();
  startPlayer(u"http://127.0.0.1:1/");
  host_->PlayAddress(fromUtf8(relay.base() + "/stream/10002"), u"Elsewhere");
  ASSERT_TRUE(playing()) << player_->errorText().toStdString();
  seen = relay.seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].count("X-Tembra-Auth-First"), 0u);
  EXPECT_EQ(seen[1].count("X-Tembra-Auth-Second"), 0u);
  host_.reset();
}

}  // namespace
}  // namespace tembra
