// The playlist and XMLTV faults of the demo service: each, switched on at
// run time, does what it says, and switched off again, the same request
// gets the normal answer.
#include <gtest/gtest.h>

#include <httplib.h>

#include <algorithm>
#include <functional>

#include "integration/DemoFeeds.h"
#include "integration/DemoService.h"

namespace tembra {
namespace {

using test::DemoService;

constexpr size_t kSlowRate = 4000;  // bytes per second: 400 per 100 ms tick

struct Fetched {
  int status = -1;  // -1: no answer within the time allowed
  std::string body;
  size_t largestRead = 0;  // the largest piece that arrived at once
};

Fetched fetch(const DemoService& demo, const std::string& path, int timeoutSeconds) {
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(timeoutSeconds, 0);
  Fetched out;
  auto res = client.Get(path.c_str(), [&](const char* data, size_t n) {
    out.body.append(data, n);
    out.largestRead = std::max(out.largestRead, n);
    return true;
  });
  if (res) out.status = res->status;
  return out;
}

bool startsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

TEST(DemoServiceFeedFaults, EachFaultShowsThenSwitchesOffAtRunTime) {
  DemoService demo({"--groups", "2", "--channels-per-group", "3", "--programmes-per-day", "4", "--hang-seconds",
                    "30", "--slow-bytes-per-second", std::to_string(kSlowRate)});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string playlist = demo.Get("/playlist.m3u").body;
  const std::string xml = demo.Get("/epg.xml").body;
  ASSERT_TRUE(startsWith(playlist, "#EXTM3U"));
  ASSERT_GT(playlist.size(), 2 * kSlowRate / 10) << "too short to show trickling";
  ASSERT_TRUE(test::ParseXmltv(xml).wellFormed);
  const auto normalProgrammes = test::ParseXmltv(xml).programmes;

  const auto isPlaylist = [&](const Fetched& f) { return f.status == 200 && f.body == playlist; };
  const auto isGuide = [&](const Fetched& f) {
    const test::Gunzipped g = test::Gunzip(f.body);
    return f.status == 200 && g.complete && g.text == xml;
  };
  struct Case {
    const char* fault;
    const char* path;
    std::function<void(const Fetched&)> check;
    std::function<bool(const Fetched&)> normal;
  };
  const Case cases[] = {
      {"playlist-404", "/playlist.m3u", [](const Fetched& f) { EXPECT_EQ(f.status, 404); }, isPlaylist},
      {"playlist-404", "/playlist.m3u.gz", [](const Fetched& f) { EXPECT_EQ(f.status, 404); },
       [&](const Fetched& f) { return f.status == 200 && test::Gunzip(f.body).text == playlist; }},
      {"playlist-hang", "/playlist.m3u", [](const Fetched& f) { EXPECT_EQ(f.status, -1); }, isPlaylist},
      {"playlist-slow", "/playlist.m3u",
       [&](const Fetched& f) {
         EXPECT_TRUE(isPlaylist(f));
         EXPECT_LE(f.largestRead, kSlowRate / 10);
       },
       isPlaylist},
      {"playlist-not-m3u", "/playlist.m3u",
       [](const Fetched& f) {
         EXPECT_EQ(f.status, 200);
         EXPECT_TRUE(startsWith(f.body, "<!DOCTYPE html>")) << f.body.substr(0, 40);
         EXPECT_EQ(f.body.find("#EXTM3U"), std::string::npos);
       },
       isPlaylist},
      {"epg-404", "/epg.xml.gz", [](const Fetched& f) { EXPECT_EQ(f.status, 404); }, isGuide},
      {"epg-hang", "/epg.xml.gz", [](const Fetched& f) { EXPECT_EQ(f.status, -1); }, isGuide},
      {"epg-slow", "/epg.xml.gz",
       [&](const Fetched& f) {
         EXPECT_TRUE(isGuide(f));
         EXPECT_LE(f.largestRead, kSlowRate / 10);
       },
       isGuide},
      {"epg-truncated", "/epg.xml.gz",
       [&](const Fetched& f) {
         EXPECT_EQ(f.status, 200);
         const test::Gunzipped g = test::Gunzip(f.body);
         EXPECT_TRUE(g.gzip);
         EXPECT_FALSE(g.complete);
         EXPECT_TRUE(startsWith(xml, g.text)) << "not a prefix of the guide";
         EXPECT_GT(g.text.size(), xml.size() / 4);
         EXPECT_LT(g.text.size(), xml.size() * 3 / 4);
       },
       isGuide},
      {"epg-truncated", "/epg.xml",
       [&](const Fetched& f) {
         EXPECT_EQ(f.status, 200);
         EXPECT_TRUE(startsWith(xml, f.body) && f.body.size() < xml.size() * 3 / 4);
         EXPECT_FALSE(test::ParseXmltv(f.body).wellFormed);
       },
       [&](const Fetched& f) { return f.status == 200 && f.body == xml; }},
      {"epg-not-gzip", "/epg.xml.gz",
       [&](const Fetched& f) {
         EXPECT_EQ(f.status, 200);
         EXPECT_EQ(f.body, xml);
       },
       isGuide},
      {"epg-garbage", "/epg.xml.gz",
       [](const Fetched& f) {
         EXPECT_EQ(f.status, 200);
         EXPECT_FALSE(test::Gunzip(f.body).gzip);
         const size_t first = f.body.find_first_not_of(" \t\r\n");
         ASSERT_NE(first, std::string::npos);
         EXPECT_NE(f.body[first], '<');
         EXPECT_FALSE(startsWith(f.body, "\xEF\xBB\xBF") || startsWith(f.body, "\xFE\xFF") ||
                      startsWith(f.body, "\xFF\xFE"));
       },
       isGuide},
      {"epg-wrong-tz", "/epg.xml.gz",
       [&](const Fetched& f) {
         const test::Gunzipped g = test::Gunzip(f.body);
         ASSERT_TRUE(g.complete);
         const auto wrong = test::ParseXmltv(g.text).programmes;
         ASSERT_EQ(wrong.size(), normalProgrammes.size());
         for (size_t i = 0; i < wrong.size(); ++i) {
           EXPECT_EQ(wrong[i].start.substr(0, 14), normalProgrammes[i].start.substr(0, 14));
           EXPECT_EQ(*test::XmltvInstant(wrong[i].start), *test::XmltvInstant(normalProgrammes[i].start) - 3 * 3600);
           EXPECT_EQ(*test::XmltvInstant(wrong[i].stop), *test::XmltvInstant(normalProgrammes[i].stop) - 3 * 3600);
         }
       },
       isGuide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + " " + c.path);
    ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=1").status, 200);
    c.check(fetch(demo, c.path, std::string(c.fault).find("hang") != std::string::npos ? 1 : 60));
    ASSERT_EQ(demo.Post("/demo/faults", std::string(c.fault) + "=0").status, 200);
    EXPECT_TRUE(c.normal(fetch(demo, c.path, 60))) << "not the normal answer once switched off";
  }
}

}  // namespace
}  // namespace tembra
