// The demo service's guide as XMLTV, checked against its operator guide
// (/tvitem.action, read with the client's reply parser): the same channels,
// and the same programmes at the same instants in the service's zone.
#include <gtest/gtest.h>

#include <httplib.h>

#include <ctime>
#include <map>
#include <set>
#include <tuple>

#include "guide/GuideReplyParser.h"
#include "integration/DemoFeeds.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::DemoService;

// The operator guide of one day, as the client asks for it.
std::vector<GuideChannelDay> operatorGuide(const DemoService& demo, const std::string& uuid,
                                           const std::string& date) {
  const std::string reply = DemoService::RawExchange(
      demo.port(), "GET /tvitem.action?type=1&uuid=" + uuid + "&startdate=" + date + "&enddate=" + date +
                       " HTTP/1.0\r\nConnection: close\r\nHost: 127.0.0.1\r\n\r\n");
  const size_t split = reply.find("\r\n\r\n");
  if (split == std::string::npos) return {};
  return GuideReplyParser::ParseText(fromUtf8(reply.substr(split + 4)), u"");
}

// "YYYY-MM-DD" of the day `days` after today in a zone offsetSeconds east.
std::string zoneDate(int offsetSeconds, int days) {
  return test::WallClock(static_cast<int64_t>(std::time(nullptr)) + days * 86400, offsetSeconds).first;
}

TEST(DemoServiceXmltv, GzipGuideListsEveryGuideChannelAndComesInChunks) {
  DemoService demo({"--groups", "2", "--channels-per-group", "4", "--missing-from-guide", "1", "--guide-extra", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  httplib::Client client("127.0.0.1", demo.port());
  auto res = client.Get("/epg.xml.gz");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Transfer-Encoding"), "chunked");
  const test::Gunzipped packed = test::Gunzip(res->body);
  ASSERT_TRUE(packed.gzip);
  ASSERT_TRUE(packed.complete);
  EXPECT_EQ(packed.text, demo.Get("/epg.xml").body);
  const test::Xmltv guide = test::ParseXmltv(packed.text);
  ASSERT_TRUE(guide.wellFormed);

  // The service runs in this process's zone.
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char today[16];
  std::strftime(today, sizeof today, "%Y-%m-%d", &local);
  const auto days = operatorGuide(demo, demo.SignIn(), today);
  ASSERT_EQ(days.size(), 8u - 1 + 2);
  ASSERT_EQ(guide.channels.size(), days.size());
  std::set<std::string> ids;
  for (size_t i = 0; i < days.size(); ++i) {
    EXPECT_EQ(guide.channels[i].id, toUtf8(days[i].id));
    EXPECT_EQ(guide.channels[i].name, toUtf8(days[i].name));
    ids.insert(guide.channels[i].id);
  }
  // Catalogue channels have a logo; the guide-only ones have none.
  EXPECT_EQ(guide.channels.front().icon, demo.base() + "/logo/" + guide.channels.front().id + ".png");
  EXPECT_EQ(guide.channels.back().icon, "");
  EXPECT_FALSE(ids.count("10008")) << "the channel left out of the guide";

  std::set<std::string> withProgrammes;
  for (const auto& p : guide.programmes) {
    withProgrammes.insert(p.channel);
    auto start = test::XmltvInstant(p.start), stop = test::XmltvInstant(p.stop);
    ASSERT_TRUE(start && stop) << p.start << " " << p.stop;
    EXPECT_LT(*start, *stop);
    EXPECT_FALSE(p.title.empty() || p.desc.empty() || p.category.empty());
  }
  EXPECT_EQ(withProgrammes, ids);
}

// Every programme of the XMLTV guide, at its instant seen in the service's
// zone, is the operator guide's programme of that day and time, and the
// other way round; the days run from today for --epg-days days.
TEST(DemoServiceXmltv, TimesAreTheOperatorGuidesLocalTimesInTheServicesZone) {
  struct Zone {
    const char* tz;
    int offset;  // seconds east of UTC (neither zone has summer time)
    const char* epgDays;
  } zones[] = {{"Asia/Kolkata", 19800, "3"}, {"UTC", 0, "5"}};
  for (const Zone& zone : zones) {
    SCOPED_TRACE(zone.tz);
    DemoService::Setup setup;
    setup.args = {"--groups", "1", "--channels-per-group", "2", "--epg-days", zone.epgDays};
    setup.env = {std::string("TZ=") + zone.tz};
    DemoService demo(setup);
    ASSERT_TRUE(demo.started()) << demo.error();
    const std::string today = zoneDate(zone.offset, 0);
    const test::Xmltv guide = test::ParseXmltv(test::Gunzip(demo.Get("/epg.xml.gz").body).text);
    ASSERT_TRUE(guide.wellFormed);
    ASSERT_EQ(zoneDate(zone.offset, 0), today) << "midnight passed during the test; run it again";

    using Slot = std::tuple<std::string, std::string, std::string, std::string>;  // channel, date, time, title
    std::set<Slot> fromXmltv, fromOperator;
    std::map<std::string, int64_t> lastStop;
    for (const auto& p : guide.programmes) {
      auto start = test::XmltvInstant(p.start), stop = test::XmltvInstant(p.stop);
      ASSERT_TRUE(start && stop);
      EXPECT_EQ(p.start.substr(15), "+0000");
      // Back to back within a channel.
      if (lastStop.count(p.channel)) {
        EXPECT_EQ(lastStop[p.channel], *start) << p.title;
      }
      lastStop[p.channel] = *stop;
      auto [date, time] = test::WallClock(*start, zone.offset);
      fromXmltv.insert({p.channel, date, time, p.title});
    }
    const int days = std::stoi(zone.epgDays);
    const std::string uuid = demo.SignIn();
    for (int d = 0; d < days; ++d)
      for (const GuideChannelDay& c : operatorGuide(demo, uuid, zoneDate(zone.offset, d)))
        for (const GuideEntry& e : c.entries)
          fromOperator.insert({toUtf8(c.id), toUtf8(e.startdate), toUtf8(e.starttime), toUtf8(e.title)});
    ASSERT_GT(fromOperator.size(), static_cast<size_t>(2 * days * 15));
    EXPECT_EQ(fromXmltv, fromOperator);
    // The last programme ends at the midnight after the last day, local.
    for (const auto& [channel, stop] : lastStop)
      EXPECT_EQ(test::WallClock(stop, zone.offset), std::make_pair(zoneDate(zone.offset, days), std::string("00:00:00")))
          << channel;
  }
}

}  // namespace
}  // namespace tembra
