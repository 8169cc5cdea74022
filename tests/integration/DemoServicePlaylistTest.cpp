// The demo service's line-up as an extended M3U playlist, its logos, and
// how the playlist matches the XMLTV guide, read with readers of the tests'
// own (DemoFeeds) against the catalogue the client's own parser reads.
#include <gtest/gtest.h>

#include <httplib.h>

#include <map>
#include <set>

#include "integration/DemoFeeds.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "service/ChannelCatalogue.h"

namespace tembra {
namespace {

using test::DemoService;

TEST(DemoServicePlaylist, ListsTheCatalogueInOrderWithPlainStreamsThatMatchTheGuide) {
  DemoService demo({"--groups", "3", "--channels-per-group", "8"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto catalogue = ChannelCatalogue::Parse(fromUtf8(demo.Get("/tv.action?type=1&uuid=" + demo.SignIn()).body));
  ASSERT_EQ(catalogue->channels().size(), 24u);
  std::map<std::u16string, std::string> groupNames;
  for (const auto& g : catalogue->groups()) groupNames[g.id] = toUtf8(g.name);

  const auto reply = demo.Get("/playlist.m3u");
  ASSERT_EQ(reply.status, 200);
  const test::M3u playlist = test::ParseM3u(reply.body);
  ASSERT_TRUE(playlist.header);
  EXPECT_EQ(playlist.headerAttributes.at("url-tvg"), demo.base() + "/epg.xml.gz");
  ASSERT_EQ(playlist.entries.size(), 24u);

  const test::Xmltv guide = test::ParseXmltv(test::Gunzip(demo.Get("/epg.xml.gz").body).text);
  ASSERT_TRUE(guide.wellFormed);
  std::set<std::string> guideIds, guideNames;
  for (const auto& c : guide.channels) {
    guideIds.insert(c.id);
    guideNames.insert(c.name);
  }

  size_t byNameOnly = 0, commaNames = 0;
  for (size_t i = 0; i < playlist.entries.size(); ++i) {
    const test::M3uEntry& e = playlist.entries[i];
    const ChannelRecord& c = *catalogue->channels()[i];
    const std::string id = toUtf8(c.id);
    SCOPED_TRACE("entry " + std::to_string(i) + " " + e.title);
    EXPECT_EQ(e.title, toUtf8(c.name));
    EXPECT_EQ(e.attributes.count("group-title") ? e.attributes.at("group-title") : "", groupNames[c.groupId]);
    // The plain form of the catalogue's enciphered address: the same stream.
    EXPECT_EQ(e.url, toUtf8(DecodeChannelAddress(c.address)));
    EXPECT_EQ(e.attributes.count("tvg-chno") ? e.attributes.at("tvg-chno") : "", std::to_string(i + 1));
    EXPECT_EQ(e.attributes.count("tvg-logo") ? e.attributes.at("tvg-logo") : "",
              demo.base() + "/logo/" + id + ".png");
    ASSERT_TRUE(e.attributes.count("tvg-name"));
    commaNames += e.attributes.at("tvg-name").find(',') != std::string::npos;
    if (e.attributes.count("tvg-id")) {
      EXPECT_EQ(e.attributes.at("tvg-id"), id);
      EXPECT_TRUE(guideIds.count(id)) << "tvg-id not in the guide";
    } else {
      ++byNameOnly;
      EXPECT_EQ(e.attributes.at("tvg-name"), e.title);
      EXPECT_TRUE(guideNames.count(e.title)) << "no guide channel by that name";
    }
  }
  EXPECT_GE(byNameOnly, 2u);
  EXPECT_LE(byNameOnly, 4u);
  EXPECT_EQ(commaNames, 1u);

  const test::Gunzipped packed = test::Gunzip(demo.Get("/playlist.m3u.gz").body);
  EXPECT_TRUE(packed.complete);
  EXPECT_EQ(packed.text, reply.body);

  const auto logo = demo.Get("/logo/" + toUtf8(catalogue->channels()[0]->id) + ".png");
  EXPECT_EQ(logo.status, 200);
  EXPECT_EQ(logo.body.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(demo.Get("/logo/99999999.png").status, 404);
}

TEST(DemoServicePlaylist, CrlfLinesAndTheAddressTheRequestCameIn) {
  DemoService demo({"--groups", "1", "--channels-per-group", "3", "--playlist-crlf"});
  ASSERT_TRUE(demo.started()) << demo.error();
  httplib::Client client("127.0.0.1", demo.port());
  const std::string port = std::to_string(demo.port());

  auto res = client.Get("/playlist.m3u", {{"Host", "localhost:" + port}});
  ASSERT_TRUE(res);
  const std::string& text = res->body;
  size_t crlf = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    ++crlf;
  }
  EXPECT_EQ(crlf, 1u + 2 * 3);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  test::M3u playlist = test::ParseM3u(text);
  ASSERT_EQ(playlist.entries.size(), 3u);
  EXPECT_EQ(playlist.headerAttributes["url-tvg"], "http://localhost:" + port + "/epg.xml.gz");
  EXPECT_EQ(playlist.entries[0].url, "http://localhost:" + port + "/stream/10001");

  // A Host that could break out of an attribute or a line is not echoed.
  for (const std::string& host : {std::string("a\"b:1"), std::string("x y"), std::string(300, 'h')}) {
    res = client.Get("/playlist.m3u", {{"Host", host}});
    ASSERT_TRUE(res);
    playlist = test::ParseM3u(res->body);
    EXPECT_EQ(playlist.headerAttributes["url-tvg"], demo.base() + "/epg.xml.gz") << host;
  }
}

}  // namespace
}  // namespace tembra
