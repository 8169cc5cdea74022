// The media controls' art: the channel's logo as the logo cache keeps it.
#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "mainwnd/MprisBridge.h"
#include "source/ChannelSource.h"
#include "source/LogoCache.h"

namespace tembra {
namespace {

TEST(MprisBridge, ArtIsTheCachedLogoFileOnlyWhenTheCacheHoldsIt) {
  test::TempDir dir("mpris-logo");
  SourceChannel channel;
  channel.id = u"7";
  channel.logo = "http://127.0.0.1:9/logos/7.png";
  EXPECT_EQ(MprisBridge::LogoFileFor(channel, dir.path()), "") << "not fetched yet";

  const std::string stored = dir.path() + "/" + LogoCache::fileNameFor(channel.logo);
  std::ofstream(stored) << "\x89PNG";
  EXPECT_EQ(MprisBridge::LogoFileFor(channel, dir.path()), stored);
  EXPECT_EQ(MprisBridge::LogoFileFor(channel, ""), "") << "no cache";
  SourceChannel bare = channel;
  bare.logo.clear();
  EXPECT_EQ(MprisBridge::LogoFileFor(bare, dir.path()), "") << "no logo";
  SourceChannel other = channel;
  other.logo = "http://127.0.0.1:9/logos/8.png";
  EXPECT_EQ(MprisBridge::LogoFileFor(other, dir.path()), "") << "another channel's file is not this one's";
}

}  // namespace
}  // namespace tembra
