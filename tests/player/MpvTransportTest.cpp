// Pausing, seeking and recording on the real player, headless, against a
// live channel paced like a broadcast on loopback.
#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>

#include "TempDir.h"
#include "platform/Utf.h"
#include "player/HeadlessPlayer.h"
#include "player/LoopStreamServer.h"
#include "player/PlayerMedia.h"
#include "player/PlayerTestApp.h"
#include "player/TimeshiftBudget.h"

namespace tembra {
namespace {

using test::WaitFor;

constexpr int kLimitMs = 20000;

class MpvTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PlayerTestApp();
    if (!test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing: no clip to play";
    // Long enough that no test here sees it wrap round (its clock would
    // jump back to the start).
    clip_ = test::MpegTsClip(40, "transport");
    ASSERT_FALSE(clip_.empty());
    server_ = std::make_unique<test::LoopStreamServer>(clip_, 40);
    ASSERT_TRUE(server_->start());
  }

  std::unique_ptr<PlayerHost> startHost(MpvPlayer*& player) {
    auto host = test::HeadlessHost(dir_.file("player.ini"), player);
    EXPECT_TRUE(host->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
    EXPECT_TRUE(WaitFor([&] { return host->ready(); }, kLimitMs));
    return host;
  }

  bool playing(MpvPlayer* p) {
    return WaitFor([&] { return p->state() == MpvPlayer::State::Playing && p->estimatedFrameNumber() >= 5; }, kLimitMs);
  }

  static double behind(const PlayerControl::Transport& t) { return t.rangeEnd - t.position; }

  test::TempDir dir_{"mpv-transport"};
  std::string clip_;
  std::unique_ptr<test::LoopStreamServer> server_;
};

TEST_F(MpvTransportTest, APausedLiveChannelKeepsReceivingAndResumesWhereItPaused) {
  MpvPlayer* player = nullptr;
  auto host = startHost(player);
  host->PlayAddress(fromUtf8(server_->url()), u"Live");
  ASSERT_TRUE(playing(player)) << player->errorText().toStdString();
  ASSERT_NE(player->timeshift(), nullptr) << "on by default";
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("player.ini.timeshift"))) << "the buffer's folder is made";

  test::Spin(2500);  // something behind the picture to seek back into
  player->SetPaused(true);
  EXPECT_TRUE(player->IsPaused());
  const double pausedAt = player->TransportState().position;
  test::Spin(3500);
  const PlayerControl::Transport paused = player->TransportState();
  ASSERT_TRUE(paused.open);
  EXPECT_NEAR(paused.position, pausedAt, 0.5) << "the picture stands still";
  EXPECT_GT(behind(paused), 2.5) << "what arrives meanwhile is kept";
  EXPECT_TRUE(paused.seekable);

  player->SetPaused(false);
  EXPECT_FALSE(player->IsPaused());
  ASSERT_TRUE(WaitFor([&] { return player->TransportState().position > pausedAt + 1; }, kLimitMs));
  EXPECT_GT(behind(player->TransportState()), 2) << "play goes on from the pause, behind live";

  // Back within what was received, then to the live edge.
  const PlayerControl::Transport before = player->TransportState();
  player->SeekTo(before.position - 2);
  ASSERT_TRUE(WaitFor([&] { return behind(player->TransportState()) > behind(before) + 1.2; }, kLimitMs));
  player->SeekTo(player->TransportState().rangeEnd);
  EXPECT_TRUE(WaitFor([&] { return behind(player->TransportState()) < 1.5; }, kLimitMs)) << "back to live";

  // Another channel does not inherit the pause or the buffer.
  player->SetPaused(true);
  host->PlayAddress(fromUtf8(server_->url()), u"Again");
  ASSERT_TRUE(playing(player));
  EXPECT_FALSE(player->IsPaused());
  EXPECT_LT(behind(player->TransportState()), 2);
}

TEST_F(MpvTransportTest, ARecordingHoldsThePacketsAsReceivedAndPlaysBack) {
  MpvPlayer* player = nullptr;
  auto host = startHost(player);
  EXPECT_FALSE(player->StartRecording(dir_.file("idle.ts"))) << "nothing plays";
  host->PlayAddress(fromUtf8(server_->url()), u"Live");
  ASSERT_TRUE(playing(player));
  const std::string file = dir_.file("rec.ts");
  ASSERT_TRUE(player->StartRecording(file));
  EXPECT_TRUE(player->IsRecording());
  test::Spin(3000);
  player->StopRecording();
  EXPECT_FALSE(player->IsRecording());
  test::Spin(500);  // the file is closed by the reading thread
  ASSERT_TRUE(std::filesystem::exists(file));
  const auto size = std::filesystem::file_size(file);
  EXPECT_GT(size, 50000u) << "three seconds of the stream";
  test::Spin(1000);
  EXPECT_EQ(std::filesystem::file_size(file), size) << "nothing written after the stop";

  // A zap ends a recording rather than writing the next channel into it.
  ASSERT_TRUE(player->StartRecording(dir_.file("zap.ts")));
  host->PlayAddress(fromUtf8(server_->url()), u"Next");
  EXPECT_FALSE(player->IsRecording());

  host->PlayAddress(fromUtf8(file), u"Recording");
  ASSERT_TRUE(playing(player)) << "the file plays: " << player->errorText().toStdString();
  const PlayerControl::Transport t = player->TransportState();
  EXPECT_GT(t.duration, 1.5);
  EXPECT_TRUE(t.seekable);
}

TEST_F(MpvTransportTest, TheBufferCanBeTurnedOffInTheSettings) {
  {
    QSettings s(QString::fromStdString(dir_.file("player.ini")), QSettings::IniFormat);
    s.setValue("timeshift/enabled", "false");
  }
  MpvPlayer* player = nullptr;
  auto host = startHost(player);
  EXPECT_EQ(player->timeshift(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("player.ini.timeshift")));
}

TEST(TimeshiftBudgetTest, BackBytesShareTheCapAndFollowTheTimeCap) {
  const TimeshiftBudget budget(60, 2048);
  const int64_t cap = 2048ll << 20;
  struct Case {
    const char* what;
    int64_t forward, total;
    double seconds;
    int64_t expected;
  };
  const int64_t rate = 1 << 20;  // a megabyte a second
  const Case cases[] = {
      {"nothing held yet: the whole cap", 0, 0, 0, cap},
      {"a long pause takes its share", 1000ll << 20, 1000ll << 20, 1000, cap - (1000ll << 20)},
      {"the time cap at the stream's rate", 0, rate * 100, 100, std::min(cap, rate * 3600)},
      {"time cap less what waits ahead", rate / 4 * 600, rate / 4 * 1200, 1200, rate / 4 * 3000},
      {"never below the floor", cap, cap, 2048, TimeshiftBudget::kFloorBytes},
  };
  for (const Case& c : cases) EXPECT_EQ(budget.backBytes(c.forward, c.total, c.seconds), c.expected) << c.what;
}

TEST(TimeshiftBudgetTest, CapsAreBoundedAndSeeksStayWithinTheSpan) {
  EXPECT_EQ(TimeshiftBudget(0, 0).minutes(), 1);
  EXPECT_EQ(TimeshiftBudget(0, 0).bytes(), 16ll << 20);
  EXPECT_EQ(TimeshiftBudget(1 << 30, 1ll << 40).minutes(), 24 * 60);
  const TimeshiftBudget budget(1, 64);
  EXPECT_DOUBLE_EQ(budget.oldestAllowed(0, 30), 0);
  EXPECT_DOUBLE_EQ(budget.oldestAllowed(0, 100), 40);
  bool seekable = false;
  for (const MpvOption& o : budget.options("/tmp/x")) {
    if (o.name == "demuxer-max-bytes" || o.name == "demuxer-max-back-bytes") {
      EXPECT_EQ(o.value, std::to_string(64 << 20));
    }
    if (o.name == "demuxer-cache-dir") {
      EXPECT_EQ(o.value, "/tmp/x");
    }
    if (o.name == "cache-secs") {
      EXPECT_EQ(o.value, "60");
    }
    seekable |= o.name == "force-seekable" && o.value == "yes";
  }
  EXPECT_TRUE(seekable);
}

}  // namespace
}  // namespace tembra
