#include "platform/HttpClient.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>

#include "LoopbackHttpServer.h"
#include "platform/HttpLimits.h"
#include "platform/LoopbackListener.h"

namespace tembra {
namespace {

using test::LoopbackListener;

const char* const kProxyVariables[] = {"http_proxy", "HTTP_PROXY", "https_proxy",
                                       "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                                       "no_proxy", "NO_PROXY"};

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kProxyVariables) unsetenv(name);
  }
  void TearDown() override {
    for (const char* name : kProxyVariables) unsetenv(name);
    HttpLimits::Reset();
    server_.stop();
  }

  // Serves the handlers the test set on server_.http(); its base address.
  std::string startServer() {
    server_.start();
    return server_.url();
  }

  static std::string base(const LoopbackListener& l) {
    return "http://127.0.0.1:" + std::to_string(l.port());
  }

  test::LoopbackHttpServer server_;
};

TEST_F(HttpClientTest, GetSendsOnlyTheBasicHeadersAndReturnsTheBody) {
  LoopbackListener server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
  HttpResponse r = HttpClient::Get(base(server) + "/auth.action?type=1&ack=00ab", 2000, 1);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "hello");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /auth.action?type=1&ack=00ab HTTP/1.1\r\n"
            "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"
            "User-Agent: TembraPlayer\r\n"
            "Accept: */*\r\n"
            "\r\n");
}

TEST_F(HttpClientTest, ErrorStatusStillDeliversTheBody) {
  server_.http().Get("/tv.action", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("<html>Not Found</html>", "text/html");
  });
  HttpResponse r = HttpClient::Get(startServer() + "/tv.action?type=1", 2000, 1);
  EXPECT_EQ(r.status, 404);
  EXPECT_EQ(r.body, "<html>Not Found</html>");
}

TEST_F(HttpClientTest, RedirectsAreFollowed) {
  server_.http().Get("/old", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/new");
  });
  server_.http().Get("/new", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("moved here", "text/plain");
  });
  HttpResponse r = HttpClient::Get(startServer() + "/old", 2000, 0);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "moved here");
}

TEST_F(HttpClientTest, BodyOverTheCapIsATransportFailureOfItsOwn) {
  server_.http().Get("/sized", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(1001, 'x'), "text/plain");
  });
  server_.http().Get("/exact", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(1000, 'x'), "text/plain");
  });
  // No announced length: the cap must hold while the body streams in.
  server_.http().Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
      std::string piece(300, 'y');
      for (int i = 0; i < 4; ++i) sink.write(piece.data(), piece.size());
      sink.done();
      return true;
    });
  });
  std::string url = startServer();
  EXPECT_EQ(HttpClient::Get(url + "/exact", 2000, 0, 1000).body.size(), 1000u);
  for (const char* path : {"/sized", "/chunked"}) {
    try {
      HttpClient::Get(url + path, 2000, 0, 1000);
      ADD_FAILURE() << path << " was accepted";
    } catch (const HttpTransportError& e) {
      EXPECT_STREQ(e.what(), "body exceeds 1000 bytes") << path;
    }
  }
}

TEST_F(HttpClientTest, SilentServerIsGivenUpOnWithoutRetrying) {
  HttpLimits::SetForTesting(1, 10);
  LoopbackListener server("", LoopbackListener::Mode::Silent);
  EXPECT_THROW(HttpClient::Get(base(server) + "/tv.action", 2000, 2), HttpTransportError);
  // The connection was made; only a failed connection is worth another try.
  EXPECT_EQ(server.connections(), 1);
}

TEST_F(HttpClientTest, RefusedConnectionAndMalformedUrlAreTransportFailures) {
  std::string refused = "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/";
  EXPECT_THROW(HttpClient::Get(refused, 2000, 1), HttpTransportError);
  EXPECT_THROW(HttpClient::Get("http://", 2000, 0), HttpTransportError);
  EXPECT_THROW(HttpClient::Get("gopher://127.0.0.1/", 2000, 0), HttpTransportError);
}

TEST_F(HttpClientTest, GetGoesThroughTheConfiguredProxy) {
  LoopbackListener proxy("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nvp");
  setenv("http_proxy", base(proxy).c_str(), 1);
  HttpResponse r = HttpClient::Get("http://service.invalid:8080/tv.action?type=1", 2000, 0);
  EXPECT_EQ(r.body, "vp");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].rfind(
                "GET http://service.invalid:8080/tv.action?type=1 HTTP/1.1\r\n", 0),
            0u)
      << proxy.requests()[0];
}

TEST_F(HttpClientTest, PostFormSendsTheFormToThePathAndReturnsTheStatus) {
  LoopbackListener server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", server.port(), "collected", "mes=a%5Eb", 2000), 200);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "POST /collected HTTP/1.1\r\n"
            "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"
            "User-Agent: TembraPlayer\r\n"
            "Accept: */*\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "Content-Length: 9\r\n"
            "\r\n"
            "mes=a%5Eb");
}

TEST_F(HttpClientTest, PostFormReportsOtherStatusesAndSendsLargeBodiesAtOnce) {
  LoopbackListener server("HTTP/1.1 500 Oops\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  // Over the size at which curl would first ask for "100 Continue", which
  // a plain server never answers.
  std::string body = "mes=" + std::string(2u << 20, 'r');
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", server.port(), "/collected", body, 2000), 500);
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  EXPECT_EQ(request.find("Expect:"), std::string::npos);
  EXPECT_EQ(request.rfind("POST /collected HTTP/1.1\r\n", 0), 0u);
  ASSERT_GE(request.size(), body.size());
  EXPECT_TRUE(request.compare(request.size() - body.size(), body.size(), body) == 0);
}

TEST_F(HttpClientTest, PostFormIgnoresTheProxy) {
  LoopbackListener proxy("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
  LoopbackListener server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  setenv("http_proxy", base(proxy).c_str(), 1);
  setenv("all_proxy", base(proxy).c_str(), 1);
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", server.port(), "collected", "mes=x", 2000), 200);
  EXPECT_EQ(proxy.connections(), 0);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(HttpClientTest, PostFormFailuresAreTransportFailures) {
  EXPECT_THROW(HttpClient::PostForm("127.0.0.1", test::refusedPort(), "collected", "mes=x", 2000),
               HttpTransportError);
  // A host text must not be able to change the request's target.
  EXPECT_THROW(HttpClient::PostForm("127.0.0.1/evil?", 80, "collected", "mes=x", 2000),
               HttpTransportError);
  EXPECT_THROW(HttpClient::PostForm("user@127.0.0.1", 80, "collected", "mes=x", 2000),
               HttpTransportError);
  EXPECT_THROW(HttpClient::PostForm("", 80, "collected", "mes=x", 2000), HttpTransportError);
}

}  // namespace
}  // namespace tembra
