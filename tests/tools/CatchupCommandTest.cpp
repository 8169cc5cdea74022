#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TimeZone.h"
#include "platform/TestFiles.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

// 2023-11-14 22:13:20 UTC to 23:43:20, asked for at 2023-11-15 00:13:20
// UTC, written in India's time (UTC+05:30) so that the local reading of
// the command line counts.
const std::vector<std::string> kTimes = {"2023-11-15 03:43:20", "2023-11-15 05:13:20", "--now",
                                         "2023-11-15 05:43:20"};

class CatchupCommand : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    test::writeFile(dir_.file(name), text);
    return dir_.file(name);
  }
  testing::ToolResult run(const std::string& playlist, int index) {
    std::vector<std::string> args{"catchup", playlist, std::to_string(index)};
    args.insert(args.end(), kTimes.begin(), kTimes.end());
    return runTool(args);
  }

  const test::TempDir dir_{"tembra-catchup-tool"};
  const test::TimeZone india_{"Asia/Kolkata"};
};

TEST_F(CatchupCommand, PrintsTheAddressOfEveryMode) {
  const std::string playlist = write("modes.m3u",
      "#EXTM3U\n"
      "#EXTINF:-1 catchup=\"default\" catchup-source=\"http://a/{Y}/{m}/{d}/{H}{M}{S}?d={duration:60}&o={offset:60}\",A\n"
      "http://s/a\n"
      "#EXTINF:-1 catchup=\"append\" catchup-source=\"?start=${start}&end=${end}&now=${now}&ts=${timestamp}&d=${duration}\",B\n"
      "http://s/b.m3u8\n"
      "#EXTINF:-1 catchup=\"shift\",C\n"
      "http://s/c?k=1\n"
      "#EXTINF:-1 timeshift=\"3\",D\n"
      "http://s/d\n"
      "#EXTINF:-1 catchup=\"flussonic\",E\n"
      "http://f/e/mpegts\n"
      "#EXTINF:-1 catchup=\"fs\",F\n"
      "http://f/f/index.m3u8?token=t\n"
      "#EXTINF:-1 catchup=\"xc\" catchup-days=\"3\",G\n"
      "http://x:8080/live/u/p/77.ts\n"
      "#EXTINF:-1 catchup=\"shift\" catchup-correction=\"-1\",H\n"
      "http://s/h\n"
      "#EXTINF:-1 catchup=\"default\" catchup-source=\"http://a/{utc}-{utcend}-{lutc}\",I\n"
      "http://s/i\n");
  const std::vector<std::string> expected = {
      "http://a/2023/11/14/221320?d=90&o=120",
      "http://s/b.m3u8?start=1700000000&end=1700005400&now=1700007200&ts=1700007200&d=5400",
      "http://s/c?k=1&utc=1700000000&lutc=1700007200",
      "http://s/d?utc=1700000000&lutc=1700007200",
      "http://f/e/timeshift_abs-1700000000.ts",
      "http://f/f/index-1700000000-5400.m3u8?token=t",
      "http://x:8080/timeshift/u/p/90/2023-11-14:22-13/77.ts",
      "http://s/h?utc=1699996400&lutc=1700007200",
      "http://a/1700000000-1700005400-1700007200",
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto r = run(playlist, static_cast<int>(i));
    EXPECT_EQ(r.exitCode, 0) << i << ": " << r.err;
    EXPECT_EQ(r.out, expected[i] + "\n") << i;
  }
}

TEST_F(CatchupCommand, TheHeadersCorrectionCountsWhereTheChannelHasNone) {
  const std::string playlist = write("header.m3u",
      "#EXTM3U catchup-correction=\"2\"\n"
      "#EXTINF:-1 catchup=\"shift\",Own\n"
      "http://s/own\n"
      "#EXTINF:-1 catchup=\"shift\" catchup-correction=\"0\",Zero\n"
      "http://s/zero\n");
  EXPECT_EQ(run(playlist, 0).out, "http://s/own?utc=1700007200&lutc=1700007200\n");
  EXPECT_EQ(run(playlist, 1).out, "http://s/zero?utc=1700000000&lutc=1700007200\n");
}

TEST_F(CatchupCommand, AChannelWithoutCatchupExitsWithOne) {
  const std::string playlist = write("none.m3u",
      "#EXTM3U\n#EXTINF:-1,Plain\nhttp://s/plain\n"
      "#EXTINF:-1 catchup=\"vod\",Unknown mode\nhttp://s/vod\n"
      "#EXTINF:-1 catchup=\"flussonic\",Wrong shape\nhttp://f/live.ts\n");
  for (int i = 0; i < 3; ++i) {
    const auto r = run(playlist, i);
    EXPECT_EQ(r.exitCode, 1) << i;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("has no catch-up"), std::string::npos) << r.err;
  }
}

TEST_F(CatchupCommand, BadArgumentsExitWithTwo) {
  const std::string playlist = write("one.m3u", "#EXTM3U\n#EXTINF:-1 catchup=\"shift\",A\nhttp://s/a\n");
  const std::string start = "2023-11-15 03:43:20";
  const std::string stop = "2023-11-15 05:13:20";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"catchup"},
           {"catchup", playlist, "0", start},
           {"catchup", playlist, "1", start, stop},
           {"catchup", playlist, "-1", start, stop},
           {"catchup", playlist, "x", start, stop},
           {"catchup", playlist, "0", "2023-11-15", stop},
           {"catchup", playlist, "0", "2023-02-30 10:00:00", stop},
           {"catchup", playlist, "0", stop, start},
           {"catchup", playlist, "0", start, stop, "--now"},
           {"catchup", playlist, "0", start, stop, "--now", "yesterday"},
           {"catchup", dir_.file("missing.m3u"), "0", start, stop},
       }) {
    const auto r = runTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.size();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
  // Without --now the time of the request is the machine's clock.
  const auto r = runTool({"catchup", playlist, "0", start, stop});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("http://s/a?utc=1700000000&lutc=", 0), 0u) << r.out;
}

}  // namespace
}  // namespace tembra
