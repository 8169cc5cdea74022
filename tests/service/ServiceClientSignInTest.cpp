#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/LoopbackListener.h"
#include "service/ServiceClientFixture.h"

namespace tembra {
namespace {

using test::FakeService;
using test::LoopbackListener;
using test::ServiceClientTest;

const std::string kOneChannel =
    test::catalogueXml(test::groupXml("g1", "News", test::channelXml("c1", "One")));

TEST_F(ServiceClientTest, AcceptedSignInIsKeptForLaterLoads) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setCatalogue(kOneChannel);
  configure({service.base()});
  EXPECT_EQ(client_->sessionId(), u"session-1");
  EXPECT_EQ(client_->catalogueLoaded(), 1);
  EXPECT_EQ(client_->LoadCatalogue(), 1);
  EXPECT_TRUE(client_->SignIn());
  EXPECT_EQ(service.authTargets().size(), 1u);
  ASSERT_EQ(service.tvTargets().size(), 2u);
  EXPECT_EQ(service.tvTargets()[1], "/tv.action?type=1&uuid=session-1");
  EXPECT_EQ(client_->serverIndex(), 0u);
}

// The request on the wire: the path, the service type and an ack value of
// 28 lower-case hexadecimal digits whose last 16 encode r + 1.
TEST_F(ServiceClientTest, SignInRequestCarriesTheAckValue) {
  SKIP_WITHOUT_ICMP();
  LoopbackListener server("HTTP/1.1 200 OK\r\nContent-Length: 16\r\nConnection: close\r\n\r\n"
                          "no session here.");
  configure({asciiToUtf16("http://127.0.0.1:" + std::to_string(server.port()))});
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  const std::string prefix = "GET /auth.action?type=1&ack=";
  const std::string suffix = " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                             "\r\nUser-Agent: TembraPlayer\r\nAccept: */*\r\n\r\n";
  ASSERT_EQ(request.size(), prefix.size() + 28 + suffix.size()) << request;
  EXPECT_EQ(request.substr(0, prefix.size()), prefix);
  EXPECT_EQ(request.substr(prefix.size() + 28), suffix);
  const std::string ack = request.substr(prefix.size(), 28);
  for (char c : ack) EXPECT_TRUE(std::isdigit(c) || (c >= 'a' && c <= 'f')) << ack;
  unsigned long r = std::stoul(ack.substr(0, 8), nullptr, 16);
  EXPECT_LT(r, 255u);
  EXPECT_EQ(ack.substr(8, 4), "0001");
  EXPECT_EQ(std::stoull(ack.substr(12), nullptr, 16), r + 1);
  // The reply had no session tags.
  EXPECT_EQ(client_->currentServer(), u"");
}

TEST_F(ServiceClientTest, RefusedConnectionMovesToTheNextServer) {
  SKIP_WITHOUT_ICMP();
  std::u16string entry = asciiToUtf16("http://127.0.0.1:" + std::to_string(test::refusedPort()));
  configure({entry});
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->currentServer(), entry);
  EXPECT_EQ(client_->sessionId(), u"");
}

TEST_F(ServiceClientTest, ReplyWithoutSessionTagsEmptiesTheCurrentServer) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setAuthReply("<Result>1</Result>");
  configure({service.base()});
  EXPECT_FALSE(client_->SignIn());
  EXPECT_EQ(client_->currentServer(), u"");
  EXPECT_EQ(client_->serverIndex(), 0u);
  EXPECT_EQ(client_->sessionId(), u"");
  EXPECT_EQ(service.authTargets().size(), 2u);
  EXPECT_TRUE(service.tvTargets().empty());
}

TEST_F(ServiceClientTest, NotFoundPageIsJudgedByItsContent) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setAuthReply("<html><body>Not Found</body></html>", 404);
  configure({service.base()});
  EXPECT_EQ(client_->currentServer(), u"");
  EXPECT_EQ(client_->serverIndex(), 0u);
}

TEST_F(ServiceClientTest, EmptyReplyFailsWithoutMovingOn) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setAuthReply("");
  configure({service.base()});
  EXPECT_EQ(client_->currentServer(), service.base());
  EXPECT_EQ(client_->serverIndex(), 0u);
  EXPECT_EQ(client_->sessionId(), u"");
}

TEST_F(ServiceClientTest, EmptySessionIdIsAcceptedButSignsInAgainNextTime) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setAuthReply("<Uuid></Uuid><Result>1</Result>");
  service.setCatalogue(kOneChannel);
  configure({service.base()});
  EXPECT_EQ(client_->catalogueLoaded(), 1);
  EXPECT_EQ(client_->sessionId(), u"");
  ASSERT_EQ(service.tvTargets().size(), 1u);
  EXPECT_EQ(service.tvTargets()[0], "/tv.action?type=1&uuid=");
  EXPECT_TRUE(client_->SignIn());
  EXPECT_EQ(service.authTargets().size(), 2u);
}

// The id is stored before the result is judged: this call fails, the next
// one finds the id and makes no request.
TEST_F(ServiceClientTest, SessionIdWithoutAcceptanceIsKept) {
  SKIP_WITHOUT_ICMP();
  FakeService service;
  service.setAuthReply("<Uuid>kept-7</Uuid><Result>0</Result>");
  service.setCatalogue(kOneChannel);
  configure({service.base()});
  EXPECT_EQ(client_->catalogueLoaded(), 0);
  EXPECT_EQ(client_->sessionId(), u"kept-7");
  EXPECT_EQ(client_->currentServer(), u"");
  EXPECT_TRUE(service.tvTargets().empty());

  EXPECT_EQ(client_->LoadCatalogue(), 1);
  EXPECT_EQ(service.authTargets().size(), 1u);
  ASSERT_EQ(service.tvTargets().size(), 1u);
  EXPECT_EQ(service.tvTargets()[0], "/tv.action?type=1&uuid=kept-7");
}

TEST_F(ServiceClientTest, NoServersMeansNoTraffic) {
  configure({});
  EXPECT_FALSE(client_->SignIn());
  EXPECT_EQ(client_->LoadCatalogue(), 0);
  EXPECT_EQ(client_->currentServer(), u"");
  EXPECT_EQ(client_->serverAddress(), "");
  EXPECT_EQ(client_->serverIndex(), 0u);
}

}  // namespace
}  // namespace tembra
