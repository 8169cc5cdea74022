#include <gtest/gtest.h>

#include "platform/HttpClient.h"
#include "platform/LoopbackListener.h"
#include "platform/NetNamespace.h"
#include "platform/ReplyServer.h"
#include "service/ServiceClientFixture.h"

namespace tembra {
namespace {

using test::LoopbackListener;
using test::ServiceClientTest;

TEST_F(ServiceClientTest, LoopbackHostPassesTheProbe) {
  SKIP_WITHOUT_ICMP();
  EXPECT_TRUE(client_->ProbeHost(u"127.0.0.1"));
  EXPECT_EQ(client_->serverAddress(), "127.0.0.1");
}

TEST_F(ServiceClientTest, UnresolvedHostFailsAndKeepsTheLastAddress) {
  EXPECT_FALSE(client_->ProbeHost(u"255.255.255.255"));
  EXPECT_EQ(client_->serverAddress(), "255.255.255.255");
  EXPECT_FALSE(client_->ProbeHost(u"no-such-service.invalid"));
  EXPECT_EQ(client_->serverAddress(), "255.255.255.255");
}

TEST_F(ServiceClientTest, NothingToCheckWithoutACurrentServer) {
  EXPECT_FALSE(client_->CheckServer());
  EXPECT_EQ(client_->serverAddress(), "");
}

// In a network namespace of its own whose loopback ignores echoes, the host
// resolves but does not answer: the address is still recorded.
int probeInSilentNamespace() {
  if (int failed = test::enterNamespace("icmp_echo_ignore_all", "1")) return failed;
  ConfigStore config("/nonexistent/config.ini", ValueCipher::Instance());
  ServiceClient client(config);
  if (client.ProbeHost(u"127.0.0.1")) return 1;
  return client.serverAddress() == "127.0.0.1" ? 0 : 2;
}

TEST(ServiceClientProbe, UnansweredEchoFailsButRecordsTheAddress) {
  if (!test::icmpAvailable()) GTEST_SKIP() << "no ICMP socket can be opened here";
  int code = test::runInChild(probeInSilentNamespace);
  if (code >= 10) GTEST_SKIP() << "cannot make a silent network namespace here (step " << code << ")";
  EXPECT_NE(code, 1) << "a host that ignores echoes passed the probe";
  EXPECT_NE(code, 2) << "the address of the host was not recorded";
}

// The host of an entry with a port and a path is probed alone; requests
// are the whole entry followed by their own path.
TEST_F(ServiceClientTest, EntryWithPathProbesTheHostAndKeepsThePathInRequests) {
  SKIP_WITHOUT_ICMP();
  LoopbackListener server(
      "HTTP/1.1 200 OK\r\nContent-Length: 41\r\nConnection: close\r\n\r\n"
      "<Uuid>s-9</Uuid><Result>1</Result>       ");
  std::u16string entry = asciiToUtf16("http://127.0.0.1:" + std::to_string(server.port()) + "/tv");
  configure({entry});
  EXPECT_EQ(client_->serverAddress(), "127.0.0.1");
  EXPECT_EQ(client_->currentServer(), entry);
  EXPECT_EQ(client_->sessionId(), u"s-9");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("GET /tv/auth.action?type=1&ack=", 0), 0u) << requests[0];
  EXPECT_EQ(requests[1].rfind("GET /tv/tv.action?type=1&uuid=s-9 HTTP/1.1\r\n", 0), 0u)
      << requests[1];
}

TEST_F(ServiceClientTest, EntryWithPathButNoPortIsSkipped) {
  configure({u"http://127.0.0.1/tv"});
  EXPECT_EQ(client_->serverIndex(), 1u);
  EXPECT_EQ(client_->sessionId(), u"");
  EXPECT_EQ(client_->serverAddress(), "");
  EXPECT_EQ(client_->catalogueLoaded(), 0);
}

TEST_F(ServiceClientTest, HttpGetTextHandsOverAnyBodyAsText) {
  test::ReplyServer server;
  server.set("/missing", "<html><body>404 Not Found</body></html>", 404, 0, "text/html");
  server.set("/names", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x93\xBA", 200, 0, "text/plain; charset=utf-8");
  const std::u16string base = asciiToUtf16(server.url());
  EXPECT_EQ(client_->HttpGetText(base + u"/missing", 2000, 1), u"<html><body>404 Not Found</body></html>");
  EXPECT_EQ(client_->HttpGetText(base + u"/names", 2000, 1), u"Grüße € \U0001F4FA");
  server.stop();
  EXPECT_THROW(client_->HttpGetText(base + u"/missing", 2000, 1), HttpTransportError);
}

TEST_F(ServiceClientTest, HttpPostFormIsTrueOnlyFor200) {
  LoopbackListener ok("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  LoopbackListener busy("HTTP/1.1 503 Busy\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(client_->HttpPostForm("127.0.0.1", ok.port(), "collected", "mes=a"));
  EXPECT_FALSE(client_->HttpPostForm("127.0.0.1", busy.port(), "collected", "mes=a"));
  EXPECT_THROW(client_->HttpPostForm("127.0.0.1", test::refusedPort(), "collected", "mes=a"),
               HttpTransportError);
  ASSERT_EQ(ok.requests().size(), 1u);
  EXPECT_EQ(ok.requests()[0].rfind("POST /collected HTTP/1.1\r\n", 0), 0u);
}

}  // namespace
}  // namespace tembra
