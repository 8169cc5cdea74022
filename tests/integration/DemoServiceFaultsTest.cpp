// Fault switches of the demo service, set on the command line and through
// /demo/faults, and what the client's parsers make of the answers. The
// guide faults are met by the guide itself in GuideDownloadTest.
#include <gtest/gtest.h>

#include <httplib.h>

#include <thread>

#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "service/ChannelCatalogue.h"

namespace tembra {
namespace {

using test::DemoService;

const char* kSignIn = "/auth.action?type=1&ack=0000002a0001000000000000002b";

std::string guideRequest(uint16_t port, const std::string& uuid) {
  return "GET /tvitem.action?type=1&uuid=" + uuid +
         "&startdate=2024-05-10&enddate=2024-05-10 HTTP/1.0\r\nAccept: */*\r\nConnection: close\r\nHost: "
         "127.0.0.1:" + std::to_string(port) + "\r\nUser-Agent: xxx\r\n\r\n";
}

bool hasFlag(const std::string& listing, const std::string& line) {
  return ("\n" + listing).find("\n" + line + "\n") != std::string::npos;
}

TEST(DemoServiceFaults, SwitchesAreListedAndChangedAtRunTime) {
  DemoService demo({"--fault", "guide-404,stats-500", "--catalogue-500"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto listing = demo.Get("/demo/faults").body;
  EXPECT_TRUE(hasFlag(listing, "guide-404=1"));
  EXPECT_TRUE(hasFlag(listing, "stats-500=1"));
  EXPECT_TRUE(hasFlag(listing, "catalogue-500=1"));
  EXPECT_TRUE(hasFlag(listing, "refuse-signin=0"));

  auto changed = demo.Post("/demo/faults", "guide-404=0&refuse-signin=1");
  EXPECT_EQ(changed.status, 200);
  EXPECT_TRUE(hasFlag(changed.body, "guide-404=0"));
  EXPECT_TRUE(hasFlag(changed.body, "refuse-signin=1"));
  // A bad request changes nothing, not even its valid part.
  EXPECT_EQ(demo.Post("/demo/faults", "refuse-signin=0&no-such-fault=1").status, 400);
  EXPECT_EQ(demo.Post("/demo/faults", "refuse-signin=2").status, 400);
  EXPECT_TRUE(hasFlag(demo.Get("/demo/faults").body, "refuse-signin=1"));
}

TEST(DemoServiceFaults, SignInFaultsGiveTheThreeRefusedForms) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_EQ(demo.Post("/demo/faults", "refuse-signin=1").status, 200);
  auto refused = demo.Get(kSignIn).body;
  EXPECT_NE(refused.find("<Uuid></Uuid>"), std::string::npos);
  EXPECT_EQ(refused.find("<Result>1</Result>"), std::string::npos);

  ASSERT_EQ(demo.Post("/demo/faults", "refuse-signin=0&signin-no-tags=1").status, 200);
  auto noTags = demo.Get(kSignIn).body;
  EXPECT_EQ(noTags.find("<Uuid>"), std::string::npos);
  EXPECT_NE(noTags.find("<Result>1</Result>"), std::string::npos);

  // A session is issued but the sign-in is not confirmed: the client keeps
  // the id, and the service honours it.
  ASSERT_EQ(demo.Post("/demo/faults", "signin-no-tags=0&signin-unconfirmed=1").status, 200);
  auto unconfirmed = demo.Get(kSignIn).body;
  EXPECT_EQ(unconfirmed.find("<Result>1</Result>"), std::string::npos);
  size_t open = unconfirmed.find("<Uuid>"), close = unconfirmed.find("</Uuid>");
  ASSERT_NE(open, std::string::npos);
  const std::string session = unconfirmed.substr(open + 6, close - open - 6);
  ASSERT_FALSE(session.empty());
  EXPECT_EQ(demo.Get("/tv.action?type=1&uuid=" + session).status, 200);

  ASSERT_EQ(demo.Post("/demo/faults", "signin-unconfirmed=0").status, 200);
  EXPECT_FALSE(demo.SignIn().empty());
}

TEST(DemoServiceFaults, CatalogueFaultsEmptyTheClientsCatalogue) {
  DemoService demo({"--groups", "2", "--channels-per-group", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string path = "/tv.action?type=1&uuid=" + demo.SignIn();
  ASSERT_EQ(ChannelCatalogue::Parse(fromUtf8(demo.Get(path).body))->loaded(), 1);
  struct Case {
    const char* fault;
    int status;
  } cases[] = {{"empty-catalogue", 200}, {"catalogue-404", 404}, {"catalogue-500", 500}};
  for (const auto& c : cases) {
    ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=1").status, 200);
    auto reply = demo.Get(path);
    EXPECT_EQ(reply.status, c.status) << c.fault;
    auto catalogue = ChannelCatalogue::Parse(fromUtf8(reply.body));
    EXPECT_EQ(catalogue->loaded(), 0) << c.fault;
    EXPECT_TRUE(catalogue->groups().empty()) << c.fault;
    ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=0").status, 200);
  }
  EXPECT_EQ(ChannelCatalogue::Parse(fromUtf8(demo.Get(path).body))->channels().size(), 4u);
}

TEST(DemoServiceFaults, SlowAnswersArriveWholeAndUnchanged) {
  DemoService demo({"--slow-rate", "4000", "--groups", "1", "--channels-per-group", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  const std::string path = "/tv.action?type=1&uuid=" + uuid;
  const std::string normalCatalogue = demo.Get(path).body;
  const std::string normalGuide = DemoService::RawExchange(demo.port(), guideRequest(demo.port(), uuid));
  ASSERT_EQ(demo.Post("/demo/faults", "slow-catalogue=1&slow-guide=1&slow-signin=1").status, 200);
  EXPECT_EQ(demo.Get(path).body, normalCatalogue);
  std::string slowGuide = DemoService::RawExchange(demo.port(), guideRequest(demo.port(), uuid));
  EXPECT_EQ(slowGuide.substr(slowGuide.find("\r\n\r\n")), normalGuide.substr(normalGuide.find("\r\n\r\n")));
  EXPECT_FALSE(demo.SignIn().empty());
}

TEST(DemoServiceFaults, HangHoldsTheConnectionThenGivesUp) {
  DemoService demo({"--hang-catalogue", "--hang-seconds", "1"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto reply = demo.Get("/tv.action?type=1&uuid=" + demo.SignIn());
  EXPECT_EQ(reply.status, 503);
  EXPECT_EQ(ChannelCatalogue::Parse(fromUtf8(reply.body))->loaded(), 0);
}

TEST(DemoServiceFaults, StopEndsAHangingRequestAndExitsCleanly) {
  DemoService demo({"--hang-time", "--hang-seconds", "3600"});
  ASSERT_TRUE(demo.started()) << demo.error();
  std::string reply;
  std::thread waiting([&] {
    reply = DemoService::RawExchange(demo.port(), "GET /getTime HTTP/1.0\r\nConnection: close\r\n\r\n");
  });
  while (demo.Get("/demo/status").body.find("held=1") == std::string::npos)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(demo.Stop(), 0);
  waiting.join();
  EXPECT_NE(reply.find(" 503 "), std::string::npos) << reply;
}

TEST(DemoServiceFaults, StreamFaultAndUnknownChannels) {
  DemoService demo({"--groups", "1", "--channels-per-group", "1", "--stream-404"});
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_EQ(demo.Get("/stream/10001").status, 404);
  ASSERT_EQ(demo.Post("/demo/faults", "stream-404=0").status, 200);
  EXPECT_EQ(demo.Get("/stream/10002").status, 404);
  EXPECT_EQ(demo.Get("/stream/abc").status, 404);
}

}  // namespace
}  // namespace tembra
