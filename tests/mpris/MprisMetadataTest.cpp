// The media controls' Metadata map and the track id paths.
#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <set>

#include "mpris/MprisMetadata.h"

namespace tembra {
namespace {

QString trackOf(const QVariantMap& map) { return map.value("mpris:trackid").value<QDBusObjectPath>().path(); }

TEST(MprisMetadata, ChannelGroupProgrammeAndLogo) {
  NowPlaying now{u"42", u"Arte HD", u"Culture", u"Les docs du mardi", "/home/v/.cache/tembra/logos/42 x.png"};
  const QVariantMap map = MprisMetadata::Build(now);
  EXPECT_EQ(map.value("xesam:title").toString(), "Arte HD");
  EXPECT_EQ(map.value("xesam:album").toString(), "Culture");
  EXPECT_EQ(map.value("xesam:artist").toStringList(), QStringList{"Les docs du mardi"});
  EXPECT_EQ(map.value("mpris:artUrl").toString().toStdString(), "file:///home/v/.cache/tembra/logos/42%20x.png");
  EXPECT_EQ(trackOf(map), "/org/tembra/channel/c42");
  EXPECT_EQ(map.size(), 5);
}

TEST(MprisMetadata, WhatTheGuideOrCacheDoesNotKnowIsLeftOut) {
  const QVariantMap bare = MprisMetadata::Build({u"7", u"News", u"", u"", ""});
  EXPECT_EQ(bare.value("xesam:title").toString(), "News");
  EXPECT_FALSE(bare.contains("xesam:album"));
  EXPECT_FALSE(bare.contains("xesam:artist"));
  EXPECT_FALSE(bare.contains("mpris:artUrl"));
  // Nothing playing: only the reserved "no track" id.
  const QVariantMap nothing = MprisMetadata::Build({});
  EXPECT_EQ(nothing.size(), 1);
  EXPECT_EQ(trackOf(nothing), MprisMetadata::kNoTrack);
}

TEST(MprisMetadata, AnyChannelIdGivesAValidDistinctPath) {
  const std::u16string ids[] = {u"1", u"a.b", u"a_b", u"a/b", u"a b", u"ünï", u"-", u"..", u"_2E", u"x\u20ac", u"A", u"a"};
  const QRegularExpression valid("^(/[A-Za-z0-9_]+)+$");
  std::set<QString> seen;
  for (const std::u16string& id : ids) {
    const QString path = MprisMetadata::TrackPath(id);
    EXPECT_TRUE(valid.match(path).hasMatch()) << path.toStdString();
    EXPECT_TRUE(seen.insert(path).second) << "two ids share " << path.toStdString();
  }
  EXPECT_EQ(MprisMetadata::TrackPath(u"a.b"), "/org/tembra/channel/ca_2Eb");
  EXPECT_EQ(MprisMetadata::TrackPath(u"a_b"), "/org/tembra/channel/ca_5Fb");
}

}  // namespace
}  // namespace tembra
