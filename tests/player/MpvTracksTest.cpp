// Tracks on the real player, headless: a clip with English and German
// audio and an English subtitle; choosing a track switches it at once and
// makes its language the one the next channel starts with. And the menu
// that offers the choices.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "TempDir.h"
#include "platform/Utf.h"
#include "player/HeadlessPlayer.h"
#include "player/PlayerMenu.h"
#include "player/PlayerMedia.h"
#include "player/PlayerTestApp.h"

namespace tembra {
namespace {

using Kind = MediaTrack::Kind;
using test::WaitFor;

constexpr int kLimitMs = 20000;

// 20 s of picture, two titled audio tracks and a subtitle, as Matroska.
std::string TracksClip() {
  const std::string dir = "/tmp/tembra-player-media-" + std::to_string(getuid());
  std::filesystem::create_directories(dir);
  const std::string file = dir + "/tracks-20.mkv";
  if (std::filesystem::exists(file) && std::filesystem::file_size(file) > 0) return file;
  // Test processes run side by side: each writes files of its own.
  const std::string srt = dir + "/tracks." + std::to_string(getpid()) + ".srt";
  const std::string part = file + "." + std::to_string(getpid()) + ".part.mkv";
  const std::string cmd =
      "printf '1\\n00:00:00,000 --> 00:00:19,000\\nHello\\n' > '" + srt + "' && "
      "ffmpeg -hide_banner -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10 "
      "-f lavfi -i sine=frequency=440 -f lavfi -i sine=frequency=660 -i '" + srt + "' -t 20 "
      "-map 0:v -map 1:a -map 2:a -map 3:s -c:v mpeg2video -c:a mp2 -c:s srt "
      "-metadata:s:a:0 language=eng -metadata:s:a:0 title=English "
      "-metadata:s:a:1 language=deu -metadata:s:a:1 title=Deutsch "
      "-metadata:s:s:0 language=eng -disposition:s:0 0 -f matroska '" + part + "'";
  if (std::system(cmd.c_str()) != 0) return {};
  std::filesystem::rename(part, file);
  return file;
}

class MpvTracksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::PlayerTestApp();
    if (!test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing: no clip to play";
    clip_ = TracksClip();
    ASSERT_FALSE(clip_.empty());
    host_ = test::HeadlessHost(dir_.file("player.ini"), player_);
    ASSERT_TRUE(host_->StartPlayer({0, 0, 320, 240}, u"", u"/nowhere/"));
    ASSERT_TRUE(WaitFor([&] { return host_->ready(); }, kLimitMs));
  }

  // Plays the clip and waits for its four tracks.
  bool play() {
    host_->PlayAddress(fromUtf8(clip_), u"Two languages");
    if (!player_->tracks().empty()) return false;  // none of the last file's
    return WaitFor([&] { return player_->state() == MpvPlayer::State::Playing && player_->tracks().all().size() == 4; },
                   kLimitMs);
  }
  bool selected(Kind kind, int64_t id) {
    return WaitFor([&] { return player_->tracks().selected(kind) == id; }, kLimitMs);
  }

  test::TempDir dir_{"mpv-tracks"};
  std::string clip_;
  MpvPlayer* player_ = nullptr;
  std::unique_ptr<PlayerHost> host_;
};

TEST_F(MpvTracksTest, AChosenTrackPlaysAtOnceAndItsLanguageLeadsTheNextChannel) {
  ASSERT_TRUE(play());
  EXPECT_TRUE(selected(Kind::Audio, 1)) << "the stream's default audio";
  EXPECT_EQ(player_->tracks().selected(Kind::Subtitle), 0) << "no subtitles until a language is chosen";
  EXPECT_EQ(TrackList::Label(*player_->tracks().find(Kind::Audio, 2)), "Deutsch (deu)");

  player_->selectAudio(2);
  EXPECT_TRUE(selected(Kind::Audio, 2));
  player_->selectSubtitle(1);
  EXPECT_TRUE(selected(Kind::Subtitle, 1));
  EXPECT_EQ(player_->settings().audioLanguage(), "deu");
  EXPECT_EQ(player_->settings().subtitleLanguage(), "eng");

  // The next channel opens on the other handle, with the same choices.
  ASSERT_TRUE(play());
  EXPECT_TRUE(selected(Kind::Audio, 2));
  EXPECT_TRUE(selected(Kind::Subtitle, 1));

  player_->selectSubtitle(0);
  EXPECT_TRUE(selected(Kind::Subtitle, 0));
  EXPECT_EQ(player_->settings().subtitleLanguage(), "");
  ASSERT_TRUE(play());
  EXPECT_TRUE(selected(Kind::Audio, 2));
  EXPECT_TRUE(WaitFor([&] { return player_->tracks().selected(Kind::Subtitle) == 0; }, 1000)) << "off stays off";

  player_->selectAudio(7);  // not a track of this stream
  EXPECT_EQ(player_->settings().audioLanguage(), "deu");
}

TEST_F(MpvTracksTest, PauseHoldsTheChannelAndEveryChangeIsTold) {
  // Shared with the handler: the host outlives this body and tells its
  // stop on the way out.
  auto count = std::make_shared<int>(0);
  player_->SetChangeHandler([count] { ++*count; });
  const int& told = *count;
  player_->SetPaused(true);
  EXPECT_FALSE(player_->IsPaused()) << "nothing to hold while idle";
  ASSERT_TRUE(play());
  const int afterPlay = told;
  EXPECT_GT(afterPlay, 0);
  player_->SetPaused(true);
  EXPECT_TRUE(player_->IsPaused());
  EXPECT_EQ(told, afterPlay + 1);
  player_->SetVolume(33);
  EXPECT_EQ(player_->Volume(), 33);
  EXPECT_EQ(told, afterPlay + 2);
  ASSERT_TRUE(play());
  EXPECT_FALSE(player_->IsPaused()) << "a channel asked for plays";
}

TEST(PlayerMenu, OffersTheTracksAndPictureChoicesAsTheyStand) {
  test::PlayerTestApp();
  MediaTrack english{Kind::Audio, 1, "English", "eng", "aac", false};
  MediaTrack german{Kind::Audio, 2, "Deutsch", "deu", "aac", true};
  MediaTrack subtitle{Kind::Subtitle, 1, "", "eng", "subrip", false};
  const TrackList tracks({{Kind::Video, 1, "", "", "h264", true}, english, german, subtitle});
  int64_t audio = -1, sub = -1;
  int zoom = 0;
  PlayerSettings::Aspect aspect = PlayerSettings::Aspect::Auto;
  PlayerMenu::Choices choices{[&](int64_t id) { audio = id; }, [&](int64_t id) { sub = id; },
                              [&](PlayerSettings::Aspect a) { aspect = a; }, [&](int p) { zoom = p; }};
  QMenu* menu = PlayerMenu::Build(tracks, PlayerSettings::Aspect::Wide, 125, choices);
  auto action = [&](const char* name) { return menu->findChild<QAction*>(QString::fromLatin1(name)); };
  ASSERT_NE(action("subtitle-0"), nullptr);
  EXPECT_TRUE(action("subtitle-0")->isChecked()) << "no subtitle: Off";
  EXPECT_TRUE(action("aspect-16-9")->isChecked());
  EXPECT_FALSE(action("aspect-auto")->isChecked());
  EXPECT_TRUE(action("zoom-125")->isChecked());
  ASSERT_NE(action("audio-1"), nullptr);
  EXPECT_EQ(action("audio-1")->text(), "English (eng)");
  EXPECT_EQ(action("subtitle-1")->text(), "eng");
  EXPECT_TRUE(action("audio-2")->isChecked());
  EXPECT_FALSE(action("audio-1")->isChecked());
  EXPECT_EQ(menu->findChildren<QAction*>(QStringLiteral("video-1")).size(), 0) << "pictures are not offered";
  action("audio-1")->trigger();
  action("aspect-fill")->trigger();
  action("zoom-200")->trigger();
  action("subtitle-0")->trigger();
  EXPECT_EQ(aspect, PlayerSettings::Aspect::Fill);
  EXPECT_EQ(zoom, 200);
  EXPECT_EQ(sub, 0);
  EXPECT_EQ(audio, 1);
  delete menu;
  // Nothing playing: the menu says so instead of offering nothing.
  QMenu* empty = PlayerMenu::Build(TrackList(), PlayerSettings::Aspect::Auto, 100, {});
  EXPECT_EQ(empty->findChildren<QAction*>(QRegularExpression("^audio-")).size(), 0);
  EXPECT_TRUE(empty->findChild<QAction*>(QStringLiteral("subtitle-0"))->isChecked());
  delete empty;
}

}  // namespace
}  // namespace tembra
