// Reading mpv's track-list node, the labels a menu shows, and the
// languages and picture settings kept in player.ini.
#include <mpv/client.h>
#include <gtest/gtest.h>

#include <QSettings>
#include <cmath>
#include <string>
#include <vector>

#include "TempDir.h"
#include "player/MpvNodeBuilder.h"
#include "player/PlayerSettings.h"
#include "player/TrackList.h"

namespace tembra {
namespace {

using Kind = MediaTrack::Kind;

TEST(TrackList, ReadsTheTracksOfEachKindWithTheirNamesAndSelection) {
  NodeBuilder b;
  const mpv_node node = b.array({b.track(1, "video", nullptr, nullptr, true),
                                 b.track(1, "audio", "English", "eng", true),
                                 b.track(2, "audio", "Deutsch", "deu", false),
                                 b.track(1, "sub", "English subtitles", "eng", false)});
  const TrackList list = TrackList::FromNode(node);
  ASSERT_EQ(list.all().size(), 4u);
  const auto audio = list.ofKind(Kind::Audio);
  ASSERT_EQ(audio.size(), 2u);
  EXPECT_EQ(audio[1].title, "Deutsch");
  EXPECT_EQ(audio[1].language, "deu");
  EXPECT_EQ(audio[1].codec, "aac");
  EXPECT_EQ(list.selected(Kind::Audio), 1);
  EXPECT_EQ(list.selected(Kind::Subtitle), 0);
  EXPECT_EQ(list.ofKind(Kind::Subtitle).size(), 1u);
}

TEST(TrackList, SelectionFollowsTheIdsMpvReports) {
  NodeBuilder b;
  TrackList list = TrackList::FromNode(
      b.array({b.track(1, "audio", "A", "eng", true), b.track(2, "audio", "B", "deu", false),
               b.track(1, "sub", "S", "eng", false)}));
  list.select(Kind::Audio, 2);
  list.select(Kind::Subtitle, 1);
  EXPECT_EQ(list.selected(Kind::Audio), 2);
  EXPECT_FALSE(list.find(Kind::Audio, 1)->selected);
  EXPECT_EQ(list.selected(Kind::Subtitle), 1);
  list.select(Kind::Subtitle, 0);
  EXPECT_EQ(list.selected(Kind::Subtitle), 0) << "off";
  list.select(Kind::Audio, 9);
  EXPECT_EQ(list.selected(Kind::Audio), 0) << "an id the list does not have selects none";
}

TEST(TrackList, OddNodesGiveWhatCanBeRead) {
  NodeBuilder b;
  EXPECT_TRUE(TrackList::FromNode(b.text("track-list")).empty()) << "not an array";
  EXPECT_TRUE(TrackList::FromNode(NodeBuilder::number(3)).empty());
  mpv_node none{};
  none.format = MPV_FORMAT_NONE;
  EXPECT_TRUE(TrackList::FromNode(none).empty());
  const TrackList list = TrackList::FromNode(b.array({
      b.text("not a map"),
      b.map({{"id", NodeBuilder::number(3)}}),                                    // no type
      b.map({{"type", b.text("audio")}}),                                         // no id
      b.map({{"id", NodeBuilder::number(-1)}, {"type", b.text("audio")}}),        // bad id
      b.map({{"id", NodeBuilder::number(4)}, {"type", b.text("attachment")}}),    // unknown kind
      b.map({{"id", b.text("5")}, {"type", b.text("audio")}}),                    // id of the wrong type
      b.track(6, "audio", "Kept", nullptr, false),
      b.track(6, "audio", "Twice", nullptr, false),                               // same id again
  }));
  ASSERT_EQ(list.all().size(), 1u);
  EXPECT_EQ(list.all()[0].title, "Kept");
}

TEST(TrackList, CountAndTextsAreCapped) {
  NodeBuilder b;
  std::vector<mpv_node> many;
  for (int i = 1; i <= 500; ++i) many.push_back(b.track(i, "audio", nullptr, nullptr, false));
  EXPECT_EQ(TrackList::FromNode(b.array(many)).all().size(), TrackList::kMaxTracks);

  std::string longTitle;
  for (int i = 0; i < 300; ++i) longTitle += "\xc3\xa9";  // é, two bytes each
  const TrackList list = TrackList::FromNode(
      b.array({b.track(1, "audio", longTitle.c_str(), "e\nng", false)}));
  const std::string& title = list.all()[0].title;
  EXPECT_LE(title.size(), TrackList::kMaxText);
  EXPECT_EQ(title.size() % 2, 0u) << "not cut inside a character";
  EXPECT_EQ(list.all()[0].language, "e ng") << "control characters become spaces";
}

TEST(TrackList, LabelsByWhatTheStreamGives) {
  struct Row {
    const char* title;
    const char* language;
    const char* label;
  };
  const Row rows[] = {{"Deutsch", "deu", "Deutsch (deu)"},
                      {"Deutsch", "", "Deutsch"},
                      {"", "deu", "deu"},
                      {"eng", "eng", "eng"},
                      {"", "", "Track 2"}};
  for (const Row& r : rows) {
    MediaTrack t;
    t.kind = Kind::Audio;
    t.id = 2;
    t.title = r.title;
    t.language = r.language;
    EXPECT_EQ(TrackList::Label(t), r.label);
  }
}

TEST(PlayerSettingsTracks, LanguagesAndPictureAreKeptAndOddValuesRefused) {
  test::TempDir dir("player-settings");
  const QString path = QString::fromStdString(dir.file("player.ini"));
  {
    PlayerSettings s(path);
    EXPECT_EQ(s.audioLanguage(), "");
    EXPECT_EQ(s.aspect(), PlayerSettings::Aspect::Auto);
    EXPECT_EQ(s.zoom(), 100);
    s.setAudioLanguage("deu");
    s.setSubtitleLanguage("en-US");
    s.setAspect(PlayerSettings::Aspect::Fill);
    s.setZoom(130);
  }
  PlayerSettings again(path);
  EXPECT_EQ(again.audioLanguage(), "deu");
  EXPECT_EQ(again.subtitleLanguage(), "en-US");
  EXPECT_EQ(again.aspect(), PlayerSettings::Aspect::Fill);
  EXPECT_EQ(again.zoom(), 125) << "the nearest step";

  {
    QSettings edit(path, QSettings::IniFormat);
    edit.setValue("tracks/audio-language", "de,slang=x");
    edit.setValue("picture/aspect", "sideways");
    edit.setValue("picture/zoom", "lots");
  }
  PlayerSettings odd(path);
  EXPECT_EQ(odd.audioLanguage(), "") << "no option text reaches mpv";
  EXPECT_EQ(odd.aspect(), PlayerSettings::Aspect::Auto);
  EXPECT_EQ(odd.zoom(), 100);
  EXPECT_EQ(PlayerSettings::CleanLanguage(std::string(17, 'a')), "");
}

TEST(PlayerSettingsTracks, PictureValuesForMpv) {
  EXPECT_EQ(PlayerSettings::AspectOverride(PlayerSettings::Aspect::Auto), "-1");
  EXPECT_EQ(PlayerSettings::AspectOverride(PlayerSettings::Aspect::Wide), "16:9");
  EXPECT_EQ(PlayerSettings::AspectOverride(PlayerSettings::Aspect::Standard), "4:3");
  EXPECT_EQ(PlayerSettings::AspectOverride(PlayerSettings::Aspect::Fill), "-1");
  EXPECT_EQ(PlayerSettings::Panscan(PlayerSettings::Aspect::Fill), 1.0);
  EXPECT_EQ(PlayerSettings::Panscan(PlayerSettings::Aspect::Wide), 0.0);
  EXPECT_DOUBLE_EQ(PlayerSettings::VideoZoom(100), 0.0);
  EXPECT_DOUBLE_EQ(PlayerSettings::VideoZoom(200), 1.0);
  EXPECT_NEAR(std::pow(2.0, PlayerSettings::VideoZoom(125)), 1.25, 1e-9);
}

}  // namespace
}  // namespace tembra
