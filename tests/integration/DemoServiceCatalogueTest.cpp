// Sign-in and the channel catalogue of the demo service, read by the
// client's own ServiceClient, catalogue parser and address cipher.
#include <gtest/gtest.h>

#include <set>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "integration/DemoService.h"
#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "service/ChannelCatalogue.h"
#include "service/ServiceClient.h"

namespace tembra {
namespace {

using test::DemoService;

std::string resultOf(const std::string& body) {
  size_t open = body.find("<Result>");
  size_t close = body.find("</Result>");
  return open == std::string::npos || close == std::string::npos ? "" : body.substr(open + 8, close - open - 8);
}

TEST(DemoServiceCatalogue, AcceptsOnlyAcksOfTheClientsForm) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  struct Case {
    const char* ack;
    const char* result;
  } cases[] = {
      {"0000002a0001000000000000002b", "1"},  // r = 42
      {"000000000001000000000000000001", "0"},  // 30 digits
      {"000000fe00010000000000000000ff", "0"},  // 30 digits
      {"000000fe000100000000000000ff", "1"},  // r = 254, the largest the client draws
      {"0000002a0001000000000000002a", "0"},  // not r + 1
      {"0000002a0002000000000000002b", "0"},  // wrong middle
      {"0000002A0001000000000000002B", "0"},  // upper case
      {"", "0"},
  };
  for (const auto& c : cases) {
    auto reply = demo.Get(std::string("/auth.action?type=1&ack=") + c.ack);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(resultOf(reply.body), c.result) << c.ack;
    size_t open = reply.body.find("<Uuid>"), close = reply.body.find("</Uuid>");
    ASSERT_NE(open, std::string::npos);
    ASSERT_NE(close, std::string::npos);
    // A refused sign-in hands out no session, so the client asks again.
    EXPECT_EQ(close - open - 6 == 0, std::string(c.result) == "0") << c.ack;
  }
  EXPECT_NE(demo.SignIn(), demo.SignIn());
}

TEST(DemoServiceCatalogue, ClientSignsInLoadsTheCatalogueAndDecodesStreamAddresses) {
  const test::TempDir dir("demo-config");
  DemoService demo({"--groups", "3", "--channels-per-group", "4", "--write-config", dir.path()});
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_EQ(demo.LineAfter("config written to "), dir.path() + "/config.ini");

  ConfigStore store(dir.path() + "/config.ini", ValueCipher::Instance());
  EXPECT_EQ(toUtf8(store.ReadValue(u"ServerUrl", true)), demo.base() + "/<EOF>");
  EXPECT_EQ(toUtf8(store.ReadValue(u"BIServer", true)), demo.base() + "/");
  const std::string plan = demo.base() + "/plan/<EOF>";
  EXPECT_EQ(toUtf8(store.ReadValue(u"UerSetMeal", true)), plan + plan + plan);
  EXPECT_EQ(toUtf8(store.ReadValue(u"HomePage", false)), demo.base() + "/home");

  ServiceClient client(store);
  client.Configure(u"1", nullptr, WM_CATALOGUE_LOADED, client.ReadServerList());
  ASSERT_EQ(client.catalogueLoaded(), 1);
  EXPECT_FALSE(client.sessionId().empty());
  EXPECT_EQ(toUtf8(client.GetPlanBase()), demo.base() + "/plan/");
  EXPECT_EQ(client.serverAddress(), "127.0.0.1");

  auto groups = client.GetGroups();
  ASSERT_EQ(groups.size(), 3u);
  std::set<std::u16string> ids;
  for (const auto& g : groups) {
    auto channels = client.GetChannelsOfGroup(g.id);
    EXPECT_EQ(channels.size(), 4u) << toUtf8(g.name);
    for (const auto& c : channels) {
      EXPECT_TRUE(ids.insert(c->id).second) << "duplicate id " << toUtf8(c->id);
      EXPECT_FALSE(c->name.empty());
      const std::string stream = demo.base() + "/stream/" + toUtf8(c->id);
      EXPECT_EQ(toUtf8(DecodeChannelAddress(c->address)), stream);
      EXPECT_EQ(c->address, EncodeChannelAddress(fromUtf8(stream)));
    }
  }
  EXPECT_EQ(ids.size(), 12u);
  // A second load keeps the session: no second sign-in is needed.
  const auto session = client.sessionId();
  EXPECT_EQ(client.LoadCatalogue(), 1);
  EXPECT_EQ(client.sessionId(), session);
}

TEST(DemoServiceCatalogue, DeadFirstServerShowsFailoverToTheLiveOne) {
  const test::TempDir dir("demo-config");
  DemoService demo({"--groups", "1", "--channels-per-group", "2", "--write-config", dir.path(), "--dead-first"});
  ASSERT_TRUE(demo.started()) << demo.error();
  ConfigStore store(dir.path() + "/config.ini", ValueCipher::Instance());
  ServiceClient client(store);
  auto servers = client.ReadServerList();
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(toUtf8(servers[0]), "http://127.0.0.1:1/");
  client.Configure(u"1", nullptr, WM_CATALOGUE_LOADED, servers);
  EXPECT_EQ(client.catalogueLoaded(), 0);
  EXPECT_EQ(client.LoadCatalogue(), 1);
  EXPECT_EQ(toUtf8(client.currentServer()), demo.base() + "/");
}

TEST(DemoServiceCatalogue, NamesThatNeedEscapingSurviveTheParse) {
  DemoService demo({"--groups", "16", "--channels-per-group", "6"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto reply = demo.Get("/tv.action?type=1&uuid=" + demo.SignIn());
  ASSERT_EQ(reply.status, 200);
  auto catalogue = ChannelCatalogue::Parse(fromUtf8(reply.body));
  ASSERT_EQ(catalogue->groups().size(), 16u);
  ASSERT_EQ(catalogue->channels().size(), 96u);
  std::set<std::u16string> groupNames;
  for (const auto& g : catalogue->groups()) groupNames.insert(g.name);
  EXPECT_TRUE(groupNames.count(u"Arts & Culture"));
  EXPECT_TRUE(groupNames.count(u"Cinéma du Monde"));
  bool nonAscii = false;
  std::set<std::u16string> names;
  for (const auto& c : catalogue->channels()) {
    names.insert(c->name);
    for (char16_t ch : c->name) nonAscii |= ch > 0x7F;
    EXPECT_TRUE(c->vip == 0 || c->vip == 1);
    EXPECT_FALSE(c->language.empty());
  }
  EXPECT_TRUE(nonAscii) << "the line-up should carry some non-ASCII names";
  EXPECT_EQ(names.size(), 96u) << "names are unique without --duplicate-names";
}

TEST(DemoServiceCatalogue, DuplicateNamesRepeatTheFirstGroupsNames) {
  DemoService demo({"--groups", "3", "--channels-per-group", "5", "--duplicate-names"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto catalogue = ChannelCatalogue::Parse(fromUtf8(demo.Get("/tv.action?type=1&uuid=" + demo.SignIn()).body));
  auto first = catalogue->ChannelsOfGroup(u"1");
  ASSERT_EQ(first.size(), 5u);
  for (const char16_t* group : {u"2", u"3"}) {
    auto channels = catalogue->ChannelsOfGroup(group);
    ASSERT_EQ(channels.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(channels[i]->name, first[i]->name);
      EXPECT_NE(channels[i]->id, first[i]->id);
    }
  }
}

TEST(DemoServiceCatalogue, SameSeedSameLineUpOtherSeedAnother) {
  auto namesOf = [](const std::string& seed) {
    DemoService demo({"--groups", "2", "--channels-per-group", "5", "--seed", seed});
    EXPECT_TRUE(demo.started()) << demo.error();
    auto catalogue = ChannelCatalogue::Parse(fromUtf8(demo.Get("/tv.action?type=1&uuid=" + demo.SignIn()).body));
    std::vector<std::u16string> names;
    for (const auto& c : catalogue->channels()) names.push_back(c->name);
    return names;
  };
  auto a = namesOf("7");
  EXPECT_EQ(a.size(), 10u);
  EXPECT_EQ(a, namesOf("7"));
  EXPECT_NE(a, namesOf("8"));
}

TEST(DemoServiceCatalogue, UnknownSessionGetsAnErrorPageNotAChannelList) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  for (const char* uuid : {"", "nobody", "00000000-0000-0000-0000-000000000000"}) {
    auto reply = demo.Get(std::string("/tv.action?type=1&uuid=") + uuid);
    EXPECT_EQ(reply.status, 403);
    EXPECT_NE(reply.body.find("<html>"), std::string::npos);
    EXPECT_EQ(ChannelCatalogue::Parse(fromUtf8(reply.body))->loaded(), 0) << uuid;
  }
}

TEST(DemoServiceCatalogue, SessionsSurviveARestartWithTheSameSeed) {
  std::string session;
  {
    DemoService first({"--seed", "5"});
    ASSERT_TRUE(first.started()) << first.error();
    session = first.SignIn();
  }
  DemoService second({"--seed", "5"});
  ASSERT_TRUE(second.started()) << second.error();
  EXPECT_EQ(second.Get("/tv.action?type=1&uuid=" + session).status, 200);
  DemoService other({"--seed", "6"});
  ASSERT_TRUE(other.started()) << other.error();
  EXPECT_EQ(other.Get("/tv.action?type=1&uuid=" + session).status, 403);
}

TEST(DemoServiceCatalogue, PathsUnderADoubledSlashOrABasePathAreServed) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  // A base URL ending in '/' (needed for the ad manifest) doubles the
  // slash of every other request; a base URL may also carry a path.
  for (const char* prefix : {"/", "//", "/tv/"}) {
    auto reply = demo.Get(std::string(prefix) + "auth.action?type=1&ack=0000002a0001000000000000002b");
    EXPECT_EQ(resultOf(reply.body), "1") << prefix;
  }
  EXPECT_EQ(demo.Get("/nothing.action").status, 404);
}

}  // namespace
}  // namespace tembra
