// The real player on libmpv, headless: null video and audio outputs, the
// view built but never shown.
#include <gtest/gtest.h>
#include <mpv/client.h>

#include <QPushButton>
#include <fstream>
#include <memory>

#include "TempDir.h"
#include "platform/LoopbackListener.h"
#include "platform/Utf.h"
#include "player/HeadlessPlayer.h"
#include "player/LoopStreamServer.h"
#include "player/MpvSession.h"
#include "player/PlayerMedia.h"
#include "player/PlayerOverlay.h"
#include "player/PlayerTestApp.h"
#include "player/PlayerView.h"

namespace tembra {
namespace {

using test::WaitFor;

constexpr int kPlayLimitMs = 20000;

class MpvPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PlayerTestApp();
    if (!test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing: no clip to play";
    clip_ = test::MpegTsClip(2);
    ASSERT_FALSE(clip_.empty());
    host_ = makeHost();
    ASSERT_TRUE(host_->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
  }

  std::unique_ptr<PlayerHost> makeHost() { return test::HeadlessHost(dir_.file("player.ini"), player_); }

  bool waitState(MpvPlayer::State s, int ms = kPlayLimitMs) {
    return WaitFor([&] { return player_->state() == s; }, ms);
  }

  test::TempDir dir_{"mpv-player"};
  std::string clip_;
  MpvPlayer* player_ = nullptr;
  std::unique_ptr<PlayerHost> host_;
};

TEST_F(MpvPlayerTest, PlaysAClipHoldsTheDisplayAndStopReleasesIt) {
  EXPECT_EQ(host_->QueryState(2), 0);
  host_->PlayAddress(fromUtf8(clip_), u"Test Clip");
  EXPECT_NE(host_->QueryState(2), 0) << "held from the moment a stream is asked for";
  EXPECT_TRUE(player_->view()->overlay()->buffering()) << "the indicator runs until the first picture";
  ASSERT_TRUE(waitState(MpvPlayer::State::Playing)) << player_->errorText().toStdString();
  ASSERT_TRUE(WaitFor([&] { return player_->estimatedFrameNumber() >= 5; }, kPlayLimitMs));
  EXPECT_NE(host_->QueryState(2), 0);
  EXPECT_EQ(player_->channelName(), "Test Clip");
  EXPECT_TRUE(player_->view()->overlay()->channelNameVisible());
  EXPECT_EQ(player_->view()->mode(), PlayerView::Mode::Video);
  EXPECT_FALSE(player_->view()->overlay()->buffering());

  host_->StopPlayer();
  EXPECT_EQ(host_->QueryState(2), 0);
  test::Spin(300);  // the end of the stopped file arrives now and must not count as a failure
  EXPECT_EQ(player_->state(), MpvPlayer::State::Idle);
  EXPECT_TRUE(player_->errorText().isEmpty());
  EXPECT_EQ(player_->view()->mode(), PlayerView::Mode::Logo);
  EXPECT_FALSE(player_->view()->overlay()->channelNameVisible());
}

TEST_F(MpvPlayerTest, AStreamThatEndsShowsAReadableTextAndReleasesTheDisplay) {
  host_->PlayAddress(fromUtf8(clip_), u"Short");
  ASSERT_TRUE(waitState(MpvPlayer::State::Failed)) << "a 2 s clip ends";
  EXPECT_EQ(host_->QueryState(2), 0);
  EXPECT_NE(player_->errorText().indexOf("stopped"), -1) << player_->errorText().toStdString();
  EXPECT_EQ(player_->view()->overlay()->error(), player_->errorText());
  EXPECT_EQ(player_->view()->mode(), PlayerView::Mode::Message);
}

TEST_F(MpvPlayerTest, BadAddressesFailWithAReadableTextAndTheNextChannelStillPlays) {
  const uint16_t port = test::refusedPort();
  host_->PlayAddress(asciiToUtf16("http://127.0.0.1:" + std::to_string(port) + "/stream/1"), u"Gone");
  ASSERT_TRUE(waitState(MpvPlayer::State::Failed));
  EXPECT_EQ(player_->errorText(), "This channel cannot be reached right now.");
  EXPECT_EQ(host_->QueryState(2), 0);

  host_->PlayAddress(fromUtf8(dir_.path() + "/missing.ts"), u"Missing");
  EXPECT_TRUE(player_->errorText().isEmpty()) << "a new channel clears the old error";
  ASSERT_TRUE(waitState(MpvPlayer::State::Failed));
  EXPECT_FALSE(player_->errorText().isEmpty());

  std::ofstream(dir_.path() + "/noise.ts") << std::string(200000, '\x5a');
  host_->PlayAddress(fromUtf8(dir_.path() + "/noise.ts"), u"Noise");
  ASSERT_TRUE(waitState(MpvPlayer::State::Failed));
  EXPECT_FALSE(player_->errorText().isEmpty());

  host_->PlayAddress(fromUtf8(clip_), u"Back");
  EXPECT_TRUE(waitState(MpvPlayer::State::Playing));
}

TEST_F(MpvPlayerTest, ADroppedStreamIsReopenedWithGrowingPausesUntilAnotherChannelIsAskedFor) {
  const std::string live = test::MpegTsClip(30, "live");
  ASSERT_FALSE(live.empty());
  test::LoopStreamServer server(live, 30);
  ASSERT_TRUE(server.start());
  host_->PlayAddress(fromUtf8(server.url()), u"Live");
  ASSERT_TRUE(waitState(MpvPlayer::State::Playing)) << player_->errorText().toStdString();
  server.stop();
  ASSERT_TRUE(waitState(MpvPlayer::State::Reconnecting, 20000)) << player_->errorText().toStdString();
  EXPECT_EQ(player_->errorText(), "The stream was interrupted, reconnecting...");
  EXPECT_EQ(player_->view()->overlay()->error(), player_->errorText());
  EXPECT_EQ(player_->view()->mode(), PlayerView::Mode::Message);
  EXPECT_FALSE(player_->view()->retryButton()->isHidden());
  EXPECT_NE(host_->QueryState(2), 0);
  // Each failed attempt doubles the pause before the next: 1 s, 2 s, 4 s.
  for (int attempt = 1; attempt <= 2; ++attempt) {
    ASSERT_TRUE(WaitFor([&] { return player_->reconnectAttempts() >= attempt && player_->msToNextReconnect() > 0; },
                        10000))
        << attempt;
    EXPECT_GT(player_->msToNextReconnect(), 1000 << (attempt - 1)) << attempt;
    // A coarse timer may be set up to 5 % late.
    EXPECT_LE(player_->msToNextReconnect(), (1000 << attempt) * 105 / 100) << attempt;
    EXPECT_EQ(player_->state(), MpvPlayer::State::Reconnecting);
  }
  EXPECT_EQ(server.requests(), 1) << "nothing listens while the server is down";

  host_->PlayAddress(fromUtf8(clip_), u"Other");
  EXPECT_EQ(player_->msToNextReconnect(), -1) << "another channel ends the reconnecting";
  EXPECT_EQ(player_->reconnectAttempts(), 0);
  EXPECT_TRUE(waitState(MpvPlayer::State::Playing));
  EXPECT_TRUE(player_->view()->retryButton()->isHidden());
}

TEST_F(MpvPlayerTest, AChannelThatNeverStartedKeepsItsMessageAndIsRetriedOnlyWhenAsked) {
  test::LoopStreamServer server(clip_, 2);
  ASSERT_TRUE(server.start());
  const std::string url = server.url();
  server.stop();
  host_->PlayAddress(fromUtf8(url), u"Down");
  ASSERT_TRUE(waitState(MpvPlayer::State::Failed));
  EXPECT_EQ(player_->errorText(), "This channel cannot be reached right now.");
  EXPECT_FALSE(player_->view()->retryButton()->isHidden()) << "the viewer may try again";
  test::Spin(1500);
  EXPECT_EQ(player_->state(), MpvPlayer::State::Failed) << "no reconnecting for a stream that never played";
  EXPECT_EQ(player_->msToNextReconnect(), -1);
  EXPECT_EQ(host_->QueryState(2), 0);

  ASSERT_TRUE(server.start());
  player_->view()->retryButton()->click();
  ASSERT_TRUE(waitState(MpvPlayer::State::Playing)) << player_->errorText().toStdString();
  EXPECT_EQ(server.requests(), 1);
  EXPECT_TRUE(player_->errorText().isEmpty());
}

TEST_F(MpvPlayerTest, SwitchingTwiceAtOnceEndsOnTheLastChannelPlaying) {
  host_->PlayAddress(u"http://127.0.0.1:1/never", u"First");
  host_->PlayAddress(fromUtf8(dir_.path() + "/missing.ts"), u"Second");
  host_->PlayAddress(fromUtf8(clip_), u"Third");
  ASSERT_TRUE(waitState(MpvPlayer::State::Playing)) << player_->errorText().toStdString();
  test::Spin(300);
  EXPECT_EQ(player_->state(), MpvPlayer::State::Playing) << "ends of the replaced files are not failures";
  EXPECT_EQ(player_->channelName(), "Third");
}

TEST_F(MpvPlayerTest, VolumeAndMuteReachMpvAndTheNextRun) {
  player_->setVolume(42);
  player_->setMuted(true);
  double volume = -1;
  int mute = 0;
  ASSERT_TRUE(WaitFor([&] {
    mpv_get_property(player_->session()->handle(), "volume", MPV_FORMAT_DOUBLE, &volume);
    mpv_get_property(player_->session()->handle(), "mute", MPV_FORMAT_FLAG, &mute);
    return volume == 42 && mute == 1;
  }, 5000)) << volume << " " << mute;
  player_->stepVolume(5);
  EXPECT_FALSE(player_->muted()) << "turning up unmutes";
  EXPECT_EQ(player_->volume(), 47);
  player_->setMuted(true);
  host_.reset();

  host_ = makeHost();
  ASSERT_TRUE(host_->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
  EXPECT_EQ(player_->volume(), 47);
  EXPECT_TRUE(player_->muted());
  ASSERT_TRUE(WaitFor([&] {
    mpv_get_property(player_->session()->handle(), "volume", MPV_FORMAT_DOUBLE, &volume);
    mpv_get_property(player_->session()->handle(), "mute", MPV_FORMAT_FLAG, &mute);
    return volume == 47 && mute == 1;
  }, 5000));
}

TEST_F(MpvPlayerTest, ConfigurationIsStoredAndEmptyAddressStaysIdle) {
  host_.reset();
  host_ = makeHost();
  ASSERT_TRUE(host_->StartPlayer({0, 0, 320, 240}, u"http://plan.example/", u"/opt/t/"));
  EXPECT_EQ(player_->logoPage(), "/opt/t/logo.html");
  EXPECT_EQ(player_->language(), "en_US");
  EXPECT_EQ(player_->auth().url(), "http://plan.example/pc/forceauth");
  EXPECT_EQ(player_->auth().first(), "vek");
  EXPECT_EQ(player_->auth().second(), "vek");
  host_->PlayAddress(u"", u"Nothing");
  EXPECT_EQ(player_->state(), MpvPlayer::State::Idle);
  EXPECT_EQ(host_->QueryState(2), 0);
}

TEST(MpvPlayerAlone, PlayBeforeActivateFailsReadablyAndReadinessIsReportedFromTheEventLoop) {
  test::PlayerTestApp();
  test::TempDir dir("mpv-player");
  MpvPlayer player(test::HeadlessConfig(dir.file("p.ini")));
  EXPECT_EQ(player.QueryState(1), 0);
  EXPECT_EQ(player.QueryState(7), 0);
  player.SetAddress(u"http://127.0.0.1:1/");
  player.Play();
  EXPECT_EQ(player.state(), MpvPlayer::State::Failed);
  EXPECT_EQ(player.errorText(), "The player could not be started on this computer.");
  std::vector<bool> reports;
  player.SetReadyHandler([&](bool ready) { reports.push_back(ready); });
  player.Activate();
  EXPECT_EQ(player.QueryState(1), 1);
  EXPECT_TRUE(reports.empty()) << "not from inside Activate";
  ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 5000));
  EXPECT_EQ(reports, std::vector<bool>{true});
}

}  // namespace
}  // namespace tembra
