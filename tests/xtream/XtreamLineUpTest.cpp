#include <gtest/gtest.h>

#include <string>

#include "xtream/XtreamClient.h"
#include "xtream/XtreamLineUp.h"

namespace tembra {
namespace {

const XtreamAccount kAccount{"http://tv.example:8080/", "me@home", "p&ss w/rd"};

TEST(XtreamAccount, AddressesPercentEncodeTheCredentials) {
  EXPECT_EQ(kAccount.apiUrl(), "http://tv.example:8080/player_api.php?username=me%40home&password=p%26ss%20w%2Frd");
  EXPECT_EQ(kAccount.apiUrl("get_live_streams"),
            "http://tv.example:8080/player_api.php?username=me%40home&password=p%26ss%20w%2Frd&action=get_live_streams");
  EXPECT_EQ(kAccount.streamUrl("42", false), "http://tv.example:8080/live/me%40home/p%26ss%20w%2Frd/42.ts");
  EXPECT_EQ(kAccount.streamUrl("42", true), "http://tv.example:8080/live/me%40home/p%26ss%20w%2Frd/42.m3u8");
  EXPECT_EQ(kAccount.guideUrl(), "http://tv.example:8080/xmltv.php?username=me%40home&password=p%26ss%20w%2Frd");
  EXPECT_EQ((XtreamAccount{" tv.example ", "a", "b"}.base()), "http://tv.example");
  EXPECT_EQ((XtreamAccount{"https://tv.example/panel//", "a", "b"}.base()), "https://tv.example/panel");
  EXPECT_EQ(XtreamAccount::percentEncode("A-z_0.9~\xC3\xA9"), "A-z_0.9~%C3%A9");
}

TEST(XtreamLineUp, FormatsChooseTsUnlessOnlyM3u8IsOffered) {
  const struct {
    std::vector<std::string> formats;
    bool m3u8;
  } cases[] = {
      {{}, false}, {{"m3u8"}, true}, {{"M3U8"}, true}, {{"m3u8", "ts"}, false}, {{"ts"}, false},
      {{"rtmp"}, false}, {{"m3u8", "rtmp"}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(XtreamLineUp::useM3u8(c.formats), c.m3u8) << c.formats.size();
}

TEST(XtreamLineUp, StreamsBecomePlaylistChannelsInTheirOrder) {
  const std::vector<XtreamCategory> categories{{"9", "Sports"}, {"1", "News"}, {"3", "Empty"}, {"4", ""}};
  std::vector<XtreamStream> streams(4);
  streams[0] = {"7", "News One", 3, "http://l/7.png", "news1.de", "1", true, 5};
  streams[1] = {"8", "Lost", std::nullopt, "", "", "77", false, 9};
  streams[2] = {"9", "Match", 1, "", "match.de", "9", true, std::nullopt};
  streams[3] = {"10", "Unnamed group", std::nullopt, "", "", "4", false, std::nullopt};
  const Playlist p = XtreamLineUp::playlist(kAccount, {"m3u8"}, categories, streams);
  EXPECT_EQ(p.guides, (std::vector<std::string>{kAccount.guideUrl()}));
  // The categories' order, only those that have channels.
  EXPECT_EQ(p.groups, (std::vector<std::string>{"Sports", "News"}));
  ASSERT_EQ(p.channels.size(), 4u);
  const PlaylistChannel& a = p.channels[0];
  EXPECT_EQ(a.name, "News One");
  EXPECT_EQ(a.url, "http://tv.example:8080/live/me%40home/p%26ss%20w%2Frd/7.m3u8");
  EXPECT_EQ(a.groups, (std::vector<std::string>{"News"}));
  EXPECT_EQ(a.tvgId, "news1.de");
  EXPECT_EQ(a.tvgName, "");
  EXPECT_EQ(a.logo, "http://l/7.png");
  EXPECT_EQ(a.number, 3);
  EXPECT_EQ(a.shift, 0);
  EXPECT_EQ(a.catchup, "xc");
  EXPECT_EQ(a.catchupDays, 5);
  const PlaylistChannel& lost = p.channels[1];
  EXPECT_TRUE(lost.groups.empty());
  EXPECT_EQ(lost.catchup, "");
  EXPECT_EQ(lost.catchupDays, std::nullopt);  // no archive, whatever its duration says
  EXPECT_EQ(p.channels[2].catchup, "xc");
  EXPECT_EQ(p.channels[2].catchupDays, std::nullopt);
  EXPECT_TRUE(p.channels[3].groups.empty());
}

TEST(XtreamClient, TheAccountCheckSaysWhyAnAccountCannotBeUsed) {
  const int64_t now = 1700000000;
  XtreamUserInfo user;
  user.authorised = true;
  user.status = "Active";
  EXPECT_EQ(XtreamClient::accountProblem(user, now), "");
  user.expires = now + 10;
  EXPECT_EQ(XtreamClient::accountProblem(user, now), "");
  user.expires = now - 10;
  EXPECT_NE(XtreamClient::accountProblem(user, now).find("The account expired on 2023-11-1"), std::string::npos);
  user.expires.reset();
  user.status = "Expired";
  EXPECT_EQ(XtreamClient::accountProblem(user, now), "The account has expired.");
  user.status = "Banned";
  EXPECT_EQ(XtreamClient::accountProblem(user, now), "The account is not active (Banned).");
  user.authorised = false;
  user.message = "Contact your reseller";
  const std::string refused = XtreamClient::accountProblem(user, now);
  EXPECT_EQ(refused.rfind("The server refused the account", 0), 0u) << refused;
  EXPECT_NE(refused.find("Contact your reseller"), std::string::npos);
}

}  // namespace
}  // namespace tembra
