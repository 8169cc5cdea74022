// tembra-tool playlist --xtream against the demo service's provider
// account, and tembra-tool catchup on the line-up it gives.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TimeZone.h"
#include "integration/DemoService.h"
#include "platform/LoopbackListener.h"
#include "platform/TestFiles.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using test::DemoService;
using testing::runTool;

std::vector<std::string> all(const std::string& text, const std::string& pattern) {
  std::vector<std::string> out;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1].str());
  return out;
}

TEST(XtreamTool, PrintsTheAccountsChannelsAsThePlaylistsJson) {
  DemoService demo({"--groups", "3", "--channels-per-group", "4"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const auto r = runTool({"playlist", "--xtream", demo.base(), "demo", "demo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The same line-up as the service's own M3U playlist, in its order and
  // groups; the addresses and guide are the account's.
  const auto m3u = runTool({"playlist", demo.base() + "/playlist.m3u"});
  ASSERT_EQ(m3u.exitCode, 0) << m3u.err;
  const std::string name = R"re("name": ("[^"]*"))re";
  const std::string groups = R"re("groups": (\[[^\]]*\]))re";
  EXPECT_EQ(all(r.out, name).size(), 12u);
  EXPECT_EQ(all(r.out, name), all(m3u.out, name));
  EXPECT_EQ(all(r.out, groups), all(m3u.out, groups));
  EXPECT_EQ(all(r.out, R"re("number": ([0-9a-z]+))re"), all(m3u.out, R"re("number": ([0-9a-z]+))re"));
  EXPECT_EQ(r.out.rfind("{\"guides\": [\"" + demo.base() + "/xmltv.php?username=demo&password=demo\"], ", 0), 0u)
      << r.out.substr(0, 200);
  const std::string first = all(m3u.out, name).at(0);
  EXPECT_NE(r.out.find("{\"name\": " + first + ", \"url\": \"" + demo.base() +
                       "/live/demo/demo/10001.ts\", \"groups\": [\"News\"], \"tvgId\": \"10001\", \"tvgName\": \"\", "
                       "\"logo\": \"" + demo.base() + "/logo/10001.png\", \"number\": 1, \"shift\": 0, "
                       "\"userAgent\": \"\", \"referrer\": \"\", \"catchup\": \"xc\", \"catchupSource\": \"\", "
                       "\"catchupDays\": 3}"),
            std::string::npos)
      << r.out.substr(0, 600);
  // The third channel has no archive, the fourth no guide id.
  const auto catchups = all(r.out, R"re("catchup": ("[^"]*"))re");
  ASSERT_EQ(catchups.size(), 12u);
  EXPECT_EQ(catchups[2], "\"\"");
  EXPECT_EQ(all(r.out, R"re("tvgId": ("[^"]*"))re")[3], "\"\"");
}

TEST(XtreamTool, CredentialsArePercentEncodedInEveryAddress) {
  DemoService demo({"--groups", "1", "--channels-per-group", "2", "--xtream-user", "me@home",
                    "--xtream-password", "p&ss w?rd"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const auto r = runTool({"playlist", "--xtream", demo.base() + "/", "me@home", "p&ss w?rd"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(demo.base() + "/live/me%40home/p%26ss%20w%3Frd/10001.ts"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(demo.base() + "/xmltv.php?username=me%40home&password=p%26ss%20w%3Frd"), std::string::npos);
  // The stream and guide answer at those addresses.
  EXPECT_EQ(demo.Get("/xmltv.php?username=me%40home&password=p%26ss%20w%3Frd").status, 200);
  EXPECT_EQ(demo.Get("/xmltv.php?username=me%40home&password=wrong").status, 403);
  EXPECT_EQ(demo.Get("/live/me%40home/wrong/10001.ts").status, 403);
  EXPECT_EQ(demo.Get("/live/me%40home/p%26ss%20w%3Frd/99.ts").status, 404);
  EXPECT_EQ(demo.Get("/timeshift/me%40home/wrong/60/2026-01-02:20-00/10001.ts").status, 403);
  // A category's streams only, as servers offer them.
  const std::string api = "/player_api.php?username=me%40home&password=p%26ss%20w%3Frd&action=get_live_streams";
  const auto one = demo.Get(api + "&category_id=1");
  EXPECT_EQ(all(one.body, R"re("stream_id": "?([0-9]+))re"), (std::vector<std::string>{"10001", "10002"}));
  EXPECT_EQ(demo.Get(api + "&category_id=7").body, "[]\n");
}

TEST(XtreamTool, ARefusedAccountOrABadReplyExitsWithOneAndSaysWhy) {
  DemoService demo({"--groups", "1", "--channels-per-group", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const struct {
    const char* fault;  // null: none, the wrong password
    const char* words;
  } cases[] = {
      {nullptr, "The server refused the account"},
      {"xtream-refused", "The server refused the account"},
      {"xtream-expired", "The account expired on "},
      {"xtream-bad-json", "bad answer to the account check: the server's answer is not JSON"},
      {"xtream-wrong-shape", "bad answer to the list of categories: the server's answer is not a list"},
  };
  for (const auto& c : cases) {
    if (c.fault) {
      ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=1").status, 200);
    }
    const auto r = runTool({"playlist", "--xtream", demo.base(), "demo", c.fault ? "demo" : "wrong"});
    EXPECT_EQ(r.exitCode, 1) << (c.fault ? c.fault : "wrong password");
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
    if (c.fault) {
      ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=0").status, 200);
    }
  }
}

TEST(XtreamTool, AServerThatDoesNotAnswerEndsWithinAMinute) {
  DemoService demo({"--groups", "1", "--channels-per-group", "2", "--fault", "xtream-hang"});
  ASSERT_TRUE(demo.started()) << demo.error();
  for (const std::string& server :
       {demo.base(), "http://127.0.0.1:" + std::to_string(test::refusedPort())}) {
    const auto started = std::chrono::steady_clock::now();
    const auto r = runTool({"playlist", "--xtream", server, "demo", "demo"});
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(r.exitCode, 1) << server;
    EXPECT_LT(took, std::chrono::seconds(60)) << server;
    EXPECT_NE(r.err.find("could not be reached for the account check"), std::string::npos) << r.err;
  }
}

TEST(XtreamTool, AServerThatTricklesItsAnswersIsGivenUpWithinAMinute) {
  // Bytes keep coming, so no request's silence limit ends it.
  DemoService demo({"--fault", "xtream-slow"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const auto started = std::chrono::steady_clock::now();
  const auto r = runTool({"playlist", "--xtream", demo.base(), "demo", "demo"});
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_GE(took, std::chrono::seconds(50));
  EXPECT_LT(took, std::chrono::seconds(60));
  EXPECT_EQ(r.err, "tembra-tool: the account's server did not answer in full within 55 seconds\n");
}

TEST(XtreamTool, CatchupOfTheAccountsChannelIsItsTimeshiftAddress) {
  DemoService demo({"--groups", "1", "--channels-per-group", "3"});
  ASSERT_TRUE(demo.started()) << demo.error();
  // The account's line-up as an M3U file, as a viewer could save it.
  test::TempDir dir("xtream-catchup");
  const std::string playlist = dir.file("account.m3u");
  test::writeFile(playlist, "#EXTM3U\n#EXTINF:-1 catchup=\"xc\" catchup-days=\"3\",Meridian Live\n" + demo.base() +
                                "/live/demo/demo/10001.ts\n");
  const test::TimeZone utc("UTC");
  const auto r = runTool({"catchup", playlist, "0", "2026-01-02 20:00:00", "2026-01-02 21:30:00"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string address = demo.base() + "/timeshift/demo/demo/90/2026-01-02:20-00/10001.ts";
  EXPECT_EQ(r.out, address + "\n");
  // The service plays it (the channel's picture for the programme's
  // length): its first packets.
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(120, 0);
  int status = 0;
  std::string received;
  client.Get(
      address.substr(demo.base().size()).c_str(),
      [&status](const httplib::Response& response) {
        status = response.status;
        return true;
      },
      [&received](const char* data, size_t n) {
        received.append(data, n);
        return received.size() < 188 * 64;
      });
  EXPECT_EQ(status, 200);
  ASSERT_GE(received.size(), 188u * 64);
  for (size_t packet = 0; packet < 64; ++packet) EXPECT_EQ(received[packet * 188], 0x47) << "packet " << packet;
}

}  // namespace
}  // namespace tembra
