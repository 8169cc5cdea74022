#include "guidegrid/ChannelInitials.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace tembra {
namespace {

TEST(ChannelInitials, FirstLettersOfTheFirstTwoWords) {
  const std::pair<const char*, const char*> cases[] = {
      {"BBC One", "BO"},     {"eurosport", "EU"}, {"Channel 4", "C4"}, {"  -- Sky | News HD", "SN"},
      {"E", "E"},            {"", ""},            {"!!! ???", ""},     {"Café 24", "C2"},
      {"संगम Beats", "सB"},
  };
  for (const auto& [name, initials] : cases) EXPECT_EQ(toUtf8(channelInitials(fromUtf8(name))), initials) << name;
}

TEST(ChannelInitials, TheBadgeColourIsStablePerName) {
  EXPECT_EQ(channelHue(u"BBC One"), channelHue(u"BBC One"));
  EXPECT_NE(channelHue(u"BBC One"), channelHue(u"BBC Two"));
  for (const char16_t* name : {u"", u"x", u"A much longer channel name"}) {
    EXPECT_GE(channelHue(name), 0);
    EXPECT_LT(channelHue(name), 360);
  }
}

}  // namespace
}  // namespace tembra
