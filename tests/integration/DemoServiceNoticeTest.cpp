// The notice responder in the demo service's own network namespace. Needs
// root (to make the namespace); skipped otherwise.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include <httplib.h>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "integration/DemoService.h"
#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "service/ServiceClient.h"

namespace tembra {
namespace {

using test::DemoService;

constexpr const char* kNotRoot =
    "not root: the notice responder needs a network namespace of its own (UDP port 36000 on both ends)";

// One query as the client sends it, from local port `from` (0: any).
std::string query(const std::string& address, uint16_t from = 0) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return "<no socket>";
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(from);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    close(fd);
    return "<bind failed>";
  }
  timeval limit{30, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(36000);
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  const char datagram[] = "^001|1#1.0.2|cn$";  // sent with its terminating zero
  std::string answer = "<no answer>";
  if (sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
      static_cast<ssize_t>(sizeof datagram)) {
    char buf[2050] = {};
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n >= 0) answer.assign(buf, static_cast<size_t>(n));
  }
  close(fd);
  return answer;
}

TEST(DemoServiceNotice, AnswersNothingToDoThenWhatItIsToldAtRunTime) {
  if (geteuid() != 0) GTEST_SKIP() << kNotRoot;
  DemoService demo(DemoService::WithNotice());
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = demo.NoticeAddress();
  ASSERT_EQ(address.rfind("198.18.", 0), 0u) << "lines: " << demo.lines().size();
  EXPECT_EQ(query(address), "^0$");

  ASSERT_EQ(demo.Post("/demo/notice", "mode=notice&text=Line%20one%23Line%20two%23%23").status, 200);
  EXPECT_EQ(query(address), "^1|x|Line one#Line two##|0$");
  ASSERT_EQ(demo.Post("/demo/notice", "mode=forced").status, 200);
  EXPECT_EQ(query(address), "^1|x|Upgrade now|1$");
  // A text that would break the answer's fields is refused.
  EXPECT_EQ(demo.Post("/demo/notice", "mode=notice&text=a%7Cb").status, 400);
  EXPECT_EQ(demo.Post("/demo/notice", "mode=loud").status, 400);
  EXPECT_EQ(query(address), "^1|x|Upgrade now|1$");
  EXPECT_NE(demo.Get("/demo/notice").body.find("queries=4"), std::string::npos);
}

TEST(DemoServiceNotice, SwitchesChooseTheAnswer) {
  if (geteuid() != 0) GTEST_SKIP() << kNotRoot;
  DemoService notice(DemoService::WithNotice({"--notice", "Maintenance tonight#Back at 06:00"}));
  DemoService forced(DemoService::WithNotice({"--forced-upgrade"}));
  ASSERT_TRUE(notice.started() && forced.started()) << notice.error() << forced.error();
  // Two services at once get subnets of their own.
  ASSERT_NE(notice.NoticeAddress(), forced.NoticeAddress());
  EXPECT_EQ(query(notice.NoticeAddress()), "^1|x|Maintenance tonight#Back at 06:00|0$");
  EXPECT_EQ(query(forced.NoticeAddress()), "^1|x|Upgrade now|1$");
}

TEST(DemoServiceNotice, ClientUsesTheNamespaceAddressSoItsQueryReachesTheResponder) {
  if (geteuid() != 0) GTEST_SKIP() << kNotRoot;
  const test::TempDir tmp("demo-config");
  const std::string dir = tmp.path();
  DemoService demo(DemoService::WithNotice({"--write-config", dir, "--groups", "1", "--channels-per-group", "2"}));
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string address = demo.NoticeAddress();
  EXPECT_EQ(demo.LineAfter("namespace listener on "),
            "http://" + address + ":" + std::to_string(demo.port()));

  ConfigStore store(dir + "/config.ini", ValueCipher::Instance());
  ServiceClient client(store);
  auto servers = client.ReadServerList();
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(toUtf8(servers[0]), "http://" + address + ":" + std::to_string(demo.port()) + "/");
  EXPECT_EQ(toUtf8(servers[1]), demo.base() + "/");
  client.Configure(u"1", nullptr, WM_CATALOGUE_LOADED, servers);
  EXPECT_EQ(client.catalogueLoaded(), 1);
  // The notice channel sends to serverAddress, from port 36000 itself.
  EXPECT_EQ(client.serverAddress(), address);
  std::string answer = query(client.serverAddress(), 36000);
  if (answer == "<bind failed>") answer = query(client.serverAddress());  // port busy here
  EXPECT_EQ(answer, "^0$");
}

TEST(DemoServiceNotice, StopRemovesTheNamespaceAndItsLink) {
  if (geteuid() != 0) GTEST_SKIP() << kNotRoot;
  DemoService demo(DemoService::WithNotice());
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_FALSE(demo.NoticeAddress().empty());
  const std::string pid = std::to_string(demo.pid());
  const std::string ns = "/run/netns/tembra-demo-" + pid, link = "/sys/class/net/tdh" + pid;
  ASSERT_TRUE(std::filesystem::exists(ns));
  ASSERT_TRUE(std::filesystem::exists(link));
  EXPECT_EQ(demo.Stop(), 0);
  EXPECT_FALSE(std::filesystem::exists(ns));
  EXPECT_FALSE(std::filesystem::exists(link));
}

// The listener answers while the namespace is still being made: every
// status page shows the responder either off or at its whole address,
// and (under ThreadSanitizer, which makes the exit status non-zero on a
// race) the service's threads never read a half-made namespace.
TEST(DemoServiceNotice, StatusDuringStartUpNeverShowsAHalfMadeNamespace) {
  if (geteuid() != 0) GTEST_SKIP() << kNotRoot;
  int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof sa;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&sa), &length), 0);
  const uint16_t port = ntohs(sa.sin_port);
  close(probe);

  std::atomic<bool> polling{true};
  std::set<std::string> seen;  // written by the poller only, read after join
  std::thread poller([&] {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(0, 100000);
    while (polling) {
      if (auto res = client.Get("/demo/notice")) {
        const std::string& body = res->body;
        const size_t at = body.find("responder=");
        seen.insert(at == std::string::npos ? body : body.substr(at, body.find('\n', at) - at));
      }
    }
  });
  DemoService demo(DemoService::WithNotice({"--listen", "127.0.0.1:" + std::to_string(port)}));
  for (int i = 0; i < 20; ++i) demo.Get("/demo/notice");
  polling = false;
  poller.join();
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string whole = "responder=udp://" + demo.NoticeAddress() + ":36000";
  for (const std::string& s : seen) EXPECT_TRUE(s == "responder=off" || s == whole) << s;
  EXPECT_TRUE(seen.count(whole));
  EXPECT_EQ(demo.Stop(), 0);
}

}  // namespace
}  // namespace tembra
