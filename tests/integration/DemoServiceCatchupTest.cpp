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

// The first bytes of a live stream (it never ends by itself); empty when it
// does not answer 200.
std::string streamStart(const DemoService& demo, const std::string& path) {
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(30, 0);
  std::string bytes;
  int status = 0;
  // Cancelled by the receiver once it has enough: no response object.
  client.Get(
      path.c_str(),
      [&](const httplib::Response& res) {
        status = res.status;
        return true;
      },
      [&](const char* data, size_t length) {
        bytes.append(data, length);
        return bytes.size() < 188 * 8;
      });
  return status == 200 ? bytes : std::string();
}

TEST(DemoServiceCatchup, FlussonicChannelsLiveUnderFsAndAnswerTheirTimeshiftAddresses) {
  if (!DemoService::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing: no stream to serve";
  DemoService demo({"--groups", "2", "--channels-per-group", "18", "--stream-seconds", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const Playlist playlist = PlaylistParser::parse(demo.Get("/playlist.m3u").body, demo.base() + "/playlist.m3u");
  ASSERT_EQ(playlist.channels.size(), 36u);
  std::vector<const PlaylistChannel*> flussonic;
  for (size_t i = 0; i < playlist.channels.size(); ++i) {
    const PlaylistChannel& c = playlist.channels[i];
    SCOPED_TRACE(std::to_string(i) + " " + c.name + " " + c.url);
    if (c.catchup != "flussonic") {
      EXPECT_EQ(c.url.rfind(demo.base() + "/stream/", 0), 0u) << "the others keep their addresses";
      continue;
    }
    flussonic.push_back(&c);
    EXPECT_GE(i, 24u) << "the first two dozen keep the catalogue's addresses";
    EXPECT_EQ(i % 6, 5u);
    EXPECT_EQ(c.catchupDays, 3);
    EXPECT_EQ(c.url.substr(c.url.size() - 7), "/mpegts");
  }
  ASSERT_EQ(flussonic.size(), 2u) << "the 30th and 36th";

  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  for (const PlaylistChannel* c : flussonic) {
    SCOPED_TRACE(c->url);
    const std::string live = streamStart(demo, pathOf(demo, c->url));
    ASSERT_GE(live.size(), 188u) << "the live stream";
    EXPECT_EQ(live[0], 0x47);
    const std::string folder = c->url.substr(0, c->url.size() - 6);  // ".../fs/ID/"
    const std::optional<std::string> half = CatchupAddress::build(*c, {now - 1800, now - 600, now});
    const std::optional<std::string> hour = CatchupAddress::build(*c, {now - 3600, now - 600, now});
    ASSERT_TRUE(half && hour);
    EXPECT_EQ(*half, folder + "timeshift_abs-" + std::to_string(now - 1800) + ".ts");
    const Answer first = getRange(demo, pathOf(demo, *half), "bytes=0-187");
    ASSERT_EQ(first.status, 206);
    EXPECT_EQ(first.body[0], 0x47);
    const size_t total = totalOf(first.contentRange);
    EXPECT_GT(total, 0u);
    // From its start on to live: the programme an hour back gives twice as
    // much (give or take the second the clock may move between the two).
    const size_t longer = totalOf(getRange(demo, pathOf(demo, *hour), "bytes=0-187").contentRange);
    EXPECT_NEAR(static_cast<double>(longer) / static_cast<double>(total), 2.0, 0.01);
    const size_t middle = total / 2 / 188 * 188;
    const Answer inside = getRange(demo, pathOf(demo, *half),
                                   "bytes=" + std::to_string(middle) + "-" + std::to_string(middle + 187));
    EXPECT_EQ(inside.status, 206);
    ASSERT_EQ(inside.body.size(), 188u);
    EXPECT_EQ(inside.body[0], 0x47);
    EXPECT_EQ(demo.Get(pathOf(demo, folder) + "timeshift_abs-0.ts").status, 400);
    EXPECT_EQ(demo.Get(pathOf(demo, folder) + "timeshift_abs-soon.ts").status, 404);
  }
  // Only the flussonic channels are there.
  const std::string plain = playlist.channels[0].url.substr(playlist.channels[0].url.rfind('/') + 1);
  EXPECT_EQ(demo.Get("/fs/" + plain + "/mpegts").status, 404);
  EXPECT_EQ(demo.Get("/fs/" + plain + "/timeshift_abs-" + std::to_string(now - 600) + ".ts").status, 404);
  EXPECT_EQ(demo.Get("/fs/99999/mpegts").status, 404);
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
