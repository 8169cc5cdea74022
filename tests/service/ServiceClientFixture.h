#pragma once
// Shared set-up of the ServiceClient tests: a settings file in a fresh
// folder, a stand-in operator service on 127.0.0.1 and a recording window.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/IcmpEcho.h"
#include "platform/MessageTarget.h"
#include "platform/RecordingWindow.h"
#include "platform/ReplyServer.h"
#include "platform/Utf.h"
#include "service/ServiceClient.h"

namespace tembra::test {

inline bool icmpAvailable() {
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  return IcmpEcho::Send(loopback) != EchoOutcome::NoSocket;
}

#define SKIP_WITHOUT_ICMP()                                                               \
  if (!::tembra::test::icmpAvailable())                                                   \
  GTEST_SKIP() << "neither a datagram nor a raw ICMP socket can be opened here, so no " \
                  "server can pass the reachability probe"

// The operator's service: sign-in and catalogue, with replies the test sets
// and the requests each path received.
class FakeService : public ReplyServer {
 public:
  FakeService() {
    setAuthReply("<Uuid>session-1</Uuid><Result>1</Result>");
    setCatalogue("");
  }
  std::u16string base() const { return asciiToUtf16(url()); }
  void setAuthReply(std::string body, int status = 200) {
    set("/auth.action", std::move(body), status, 0, "text/plain; charset=utf-8");
  }
  void setCatalogue(std::string body) { set("/tv.action", std::move(body), 200, 0, "text/xml; charset=utf-8"); }
  std::vector<std::string> authTargets() const { return targets("/auth.action"); }
  std::vector<std::string> tvTargets() const { return targets("/tv.action"); }
};

inline std::string channelXml(const std::string& id, const std::string& name) {
  return "<channel language=\"en\"><name>" + name + "</name><id>" + id +
         "</id><status>1</status><vip>0</vip><lmk_address><item>A1B2</item></lmk_address>"
         "</channel>";
}

inline std::string groupXml(const std::string& id, const std::string& name,
                            const std::string& channels) {
  return "<group name=\"" + name + "\" id=\"" + id + "\" type=\"tv\" deploy=\"1\">" + channels +
         "</group>";
}

inline std::string catalogueXml(const std::string& groups) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><channels>" + groups + "</channels>";
}

class ServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(name);
    config_ = std::make_unique<ConfigStore>(dir_ + "/config.ini", ValueCipher::Instance());
    client_ = std::make_unique<ServiceClient>(*config_);
  }
  void TearDown() override { client_.reset(); }

  // Configure as the window does: service type "1", the catalogue message.
  void configure(std::vector<std::u16string> servers) {
    client_->Configure(u"1", &window_, WM_CATALOGUE_LOADED, std::move(servers));
  }

  const TempDir tmp_{"tembra-service"};
  const std::string dir_ = tmp_.path();
  std::unique_ptr<ConfigStore> config_;
  std::unique_ptr<ServiceClient> client_;
  RecordingWindow window_;  // the catalogue load only ever posts
};

}  // namespace tembra::test
