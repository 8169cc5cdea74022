// Command line, start-up lines and stopping of the demo service.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <httplib.h>

#include <chrono>
#include <thread>

#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"

namespace tembra {
namespace {

using test::DemoService;

TEST(DemoServiceLifecycle, FirstLineNamesTheLoopbackPortAndSigtermExitsWithZero) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_FALSE(demo.lines().empty());
  EXPECT_EQ(demo.lines().front(), "listening on http://127.0.0.1:" + std::to_string(demo.port()));
  EXPECT_EQ(demo.LineAfter("notice responder off: "), "--no-notice");
  EXPECT_EQ(demo.Get("/").status, 200);
  EXPECT_EQ(demo.Stop(), 0);
  EXPECT_EQ(DemoService::RawExchange(demo.port(), "GET / HTTP/1.0\r\n\r\n"), "");
}

TEST(DemoServiceLifecycle, SigintWhileAStreamIsOpenStillExitsWithZero) {
  DemoService::Setup setup;
  setup.args = {"--groups", "1", "--channels-per-group", "1", "--stream-seconds", "2"};
  DemoService demo(setup);
  ASSERT_TRUE(demo.started()) << demo.error();
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(60, 0);
  bool streaming = DemoService::HaveProgram("ffmpeg");
  std::thread reader([&] {
    client.Get("/stream/10001", [&](const char*, size_t) { return true; });
  });
  while (streaming && demo.Get("/demo/status").body.find("streams=1") == std::string::npos)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(demo.pid(), SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(demo.pid(), &status, 0), demo.pid());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  reader.join();
}

TEST(DemoServiceLifecycle, HelpListsEverySwitch) {
  auto help = DemoService::RunProgram({DemoService::Executable(), "--help"});
  ASSERT_EQ(help.exitCode, 0);
  for (const char* name :
       {"--listen", "--cache", "--write-config", "--dead-first", "--groups", "--channels-per-group",
        "--programmes-per-day", "--duplicate-names", "--missing-from-guide", "--guide-extra", "--seed",
        "--clock-offset", "--no-notice", "--notice", "--forced-upgrade", "--ad-link", "--ad-time",
        "--stream-seconds", "--no-pregenerate", "--fault", "--hang-seconds", "--slow-rate", "--help",
        "--refuse-signin", "--signin-no-tags", "--signin-unconfirmed", "--hang-signin", "--slow-signin",
        "--empty-catalogue", "--catalogue-404", "--catalogue-500", "--hang-catalogue", "--slow-catalogue",
        "--guide-404", "--guide-500", "--guide-malformed", "--hang-guide", "--slow-guide", "--ads-404",
        "--ads-500", "--hang-ads", "--slow-ads", "--stats-500", "--hang-stats", "--hang-time", "--slow-time",
        "--stream-404", "--epg-days", "--playlist-crlf", "--slow-bytes-per-second", "--playlist-404",
        "--playlist-hang", "--playlist-slow", "--playlist-not-m3u", "--epg-404", "--epg-hang", "--epg-slow",
        "--epg-truncated", "--epg-not-gzip", "--epg-garbage", "--epg-wrong-tz", "--xtream-user",
        "--xtream-password", "--xtream-refused", "--xtream-expired", "--xtream-bad-json", "--xtream-wrong-shape",
        "--xtream-hang", "--xtream-slow"})
    EXPECT_NE(help.output.find(std::string("  ") + name + " "), std::string::npos) << name;
}

TEST(DemoServiceLifecycle, BadCommandLinesAreRefusedWithStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--listen", "0.0.0.0:8080"},
      {"--listen", "192.168.1.2:0"},
      {"--listen", "127.0.0.1:70000"},
      {"--listen", "127.0.0.1"},
      {"--groups", "1000", "--channels-per-group", "1000"},
      {"--groups", "-1"},
      {"--no-such-switch"},
      {"--fault", "hang-everything"},
      {"--epg-days", "0"},
      {"--epg-days", "15"},
      {"--playlist-crlf=1"},
      {"--notice", "a|b"},
      {"--notice", "x", "--forced-upgrade"},
      {"--seed"},
      {"--xtream-user", ""},
      {"--xtream-password"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv = {DemoService::Executable()};
    argv.insert(argv.end(), args.begin(), args.end());
    auto run = DemoService::RunProgram(argv);
    EXPECT_EQ(run.exitCode, 2) << args.front() << " " << run.output;
    EXPECT_EQ(run.output.find("listening on"), std::string::npos);
  }
}

TEST(DemoServiceLifecycle, LargestLineUpIsServed) {
  DemoService demo({"--groups", "100", "--channels-per-group", "1000"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto reply = demo.Get("/tv.action?type=1&uuid=" + demo.SignIn());
  ASSERT_EQ(reply.status, 200);
  size_t channels = 0;
  for (size_t at = 0; (at = reply.body.find("<channel ", at)) != std::string::npos; ++at) ++channels;
  EXPECT_EQ(channels, 100000u);
  // The last channel's address decodes like the first one's.
  const size_t id = reply.body.rfind("<id>110000</id>");
  ASSERT_NE(id, std::string::npos);
  const size_t item = reply.body.find("<item>", id) + 6;
  const std::string address = reply.body.substr(item, reply.body.find("</item>", item) - item);
  EXPECT_EQ(toUtf8(DecodeChannelAddress(fromUtf8(address))), demo.base() + "/stream/110000");
}

}  // namespace
}  // namespace tembra
