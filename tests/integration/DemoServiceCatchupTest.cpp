// The demo's archive: every catch-up address its playlist and its provider
// account lead to is answered with the channel's picture for the
// programme's length, as a file a player can seek in (Range requests).
#include <gtest/gtest.h>

#include <httplib.h>

#include <ctime>
#include <set>

#include "integration/DemoService.h"
#include "playlist/CatchupAddress.h"
#include "playlist/PlaylistParser.h"

namespace tembra {
namespace {

using test::DemoService;

struct Answer {
  int status = 0;
  std::string body;
  std::string contentRange;
};

Answer getRange(const DemoService& demo, const std::string& path, const std::string& range) {
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(60, 0);
  auto res = client.Get(path.c_str(), {{"Range", range}});
  if (!res) return {};
  return {res->status, res->body, res->get_header_value("Content-Range")};
}

std::string pathOf(const DemoService& demo, const std::string& address) {
  return address.rfind(demo.base(), 0) == 0 ? address.substr(demo.base().size()) : address;
}

// "bytes 0-187/TOTAL" -> TOTAL
size_t totalOf(const std::string& contentRange) {
  const size_t slash = contentRange.rfind('/');
  return slash == std::string::npos ? 0 : std::stoull(contentRange.substr(slash + 1));
}

TEST(DemoServiceCatchup, EveryModeOfThePlaylistIsAnsweredWithASeekableProgramme) {
  if (!DemoService::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing: no stream to serve";
  DemoService demo({"--groups", "1", "--channels-per-group", "7", "--stream-seconds", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const Playlist playlist = PlaylistParser::parse(demo.Get("/playlist.m3u").body, demo.base() + "/playlist.m3u");
  ASSERT_EQ(playlist.channels.size(), 7u);

  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  // The last half hour and the last hour: the second twice the first
  // (segments of two seconds divide both).
  const CatchupAddress::Times half{now - 1800, now, now};
  const CatchupAddress::Times hour{now - 3600, now, now};
  std::set<std::string> modes;
  for (const PlaylistChannel& c : playlist.channels) {
    SCOPED_TRACE(c.name + " " + c.catchup);
    if (!CatchupAddress::offered(c)) {
      EXPECT_EQ(demo.Get("/catchup/" + c.url.substr(c.url.rfind('/') + 1) + ".ts?utc=" + std::to_string(half.start))
                    .status,
                404)
          << "a channel without catch-up has no archive";
      continue;
    }
    EXPECT_EQ(c.catchupDays, 3);
    modes.insert(c.catchup);
    const std::optional<std::string> shortOne = CatchupAddress::build(c, half);
    const std::optional<std::string> longOne = CatchupAddress::build(c, hour);
    ASSERT_TRUE(shortOne && longOne);
    const Answer first = getRange(demo, pathOf(demo, *shortOne), "bytes=0-187");
    ASSERT_EQ(first.status, 206) << *shortOne;
    ASSERT_EQ(first.body.size(), 188u);
    EXPECT_EQ(first.body[0], 0x47) << "an MPEG-TS packet";
    const size_t total = totalOf(first.contentRange);
    EXPECT_EQ(total % 188, 0u);
    EXPECT_GT(total, 0u);
    EXPECT_EQ(totalOf(getRange(demo, pathOf(demo, *longOne), "bytes=0-187").contentRange), 2 * total)
        << "the programme's length";
    // A seek: a packet from the middle.
    const size_t middle = total / 2 / 188 * 188;
    const Answer inside = getRange(demo, pathOf(demo, *shortOne),
                                   "bytes=" + std::to_string(middle) + "-" + std::to_string(middle + 187));
    EXPECT_EQ(inside.status, 206);
    ASSERT_EQ(inside.body.size(), 188u);
    EXPECT_EQ(inside.body[0], 0x47);
  }
  EXPECT_EQ(modes, (std::set<std::string>{"default", "append", "shift", "xc"}));

  EXPECT_EQ(demo.Get("/catchup/10001.ts").status, 400) << "no start";
  EXPECT_EQ(demo.Get("/catchup/10001.ts?utc=soon").status, 400);
  EXPECT_EQ(demo.Get("/catchup/99999.ts?utc=1").status, 404);
}

TEST(DemoServiceCatchup, TheAccountsTimeshiftAddressesServeTheProgrammesMinutes) {
  if (!DemoService::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing: no stream to serve";
  DemoService demo({"--groups", "1", "--channels-per-group", "3", "--stream-seconds", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const Answer thirty = getRange(demo, "/timeshift/demo/demo/30/2026-01-02:20-00/10001.ts", "bytes=0-187");
  const Answer ninety = getRange(demo, "/timeshift/demo/demo/90/2026-01-02:20-00/10001.ts", "bytes=0-187");
  ASSERT_EQ(thirty.status, 206);
  ASSERT_EQ(ninety.status, 206);
  EXPECT_EQ(totalOf(ninety.contentRange), 3 * totalOf(thirty.contentRange));
  EXPECT_EQ(demo.Get("/timeshift/demo/demo/30/2026-01-02:20-00/10003.ts").status, 404) << "no archive";
  EXPECT_EQ(demo.Get("/timeshift/demo/demo/0/2026-01-02:20-00/10001.ts").status, 404);
  EXPECT_EQ(demo.Get("/timeshift/demo/wrong/30/2026-01-02:20-00/10001.ts").status, 403);
}

}  // namespace
}  // namespace tembra
