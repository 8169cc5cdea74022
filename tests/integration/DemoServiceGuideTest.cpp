// The guide reply of the demo service, fetched the way the client fetches
// it (a raw HTTP/1.0 request, read until the connection closes) and read
// with the client's reply parser. Channels missing from the guide or only
// in it are met by the guide itself in GuideDownloadTest.
#include <gtest/gtest.h>

#include <ctime>
#include <map>

#include "guide/GuideReplyParser.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "service/ChannelCatalogue.h"
#include "xml/XmlDocument.h"

namespace tembra {
namespace {

using test::DemoService;

struct Item {
  std::string title, startdate, enddate, starttime;
};
struct Channel {
  std::string name;
  std::vector<Item> items;
};
struct Guide {
  std::string statusLine;
  std::string headers;
  std::string body;
  std::vector<std::string> order;  // tv ids in document order
  std::map<std::string, Channel> channels;
  bool wellFormed = false;
};

std::string today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &local);
  return buf;
}

std::string request(uint16_t port, const std::string& uuid, const std::string& start, const std::string& end) {
  return "GET /tvitem.action?type=1&uuid=" + uuid + "&startdate=" + start + "&enddate=" + end +
         " HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\nHost: 127.0.0.1:" +
         std::to_string(port) + "\r\nUser-Agent: xxx\r\n\r\n";
}

Guide fetch(const DemoService& demo, const std::string& uuid, const std::string& start,
            const std::string& end) {
  Guide guide;
  std::string reply = DemoService::RawExchange(demo.port(), request(demo.port(), uuid, start, end));
  size_t split = reply.find("\r\n\r\n");
  if (split == std::string::npos) return guide;
  guide.statusLine = reply.substr(0, reply.find("\r\n"));
  guide.headers = reply.substr(0, split);
  guide.body = reply.substr(split + 4);
  guide.wellFormed = XmlDocument(fromUtf8(guide.body)).IsWellFormed();
  for (const GuideChannelDay& c : GuideReplyParser::ParseText(fromUtf8(guide.body), u"")) {
    guide.order.push_back(toUtf8(c.id));
    Channel& channel = guide.channels[guide.order.back()];
    channel.name = toUtf8(c.name);
    for (const GuideEntry& e : c.entries)
      channel.items.push_back({toUtf8(e.title), toUtf8(e.startdate), toUtf8(e.enddate), toUtf8(e.starttime)});
  }
  return guide;
}

int secondsOf(const std::string& hms) {
  if (hms.size() != 8 || hms[2] != ':' || hms[5] != ':') return -1;
  for (size_t i : {0, 1, 3, 4, 6, 7})
    if (hms[i] < '0' || hms[i] > '9') return -1;
  int h = std::stoi(hms.substr(0, 2)), m = std::stoi(hms.substr(3, 2)), s = std::stoi(hms.substr(6, 2));
  return h < 24 && m < 60 && s < 60 ? h * 3600 + m * 60 + s : -1;
}

TEST(DemoServiceGuide, Http10ReplyIsReadToItsEndAndCoversTheDayBackToBack) {
  DemoService demo({"--groups", "2", "--channels-per-group", "5"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  const std::string day = today();
  Guide guide = fetch(demo, uuid, day, day);
  // What the client checks in its first block: a short status line and "200".
  EXPECT_EQ(guide.statusLine.substr(0, 9), "HTTP/1.1 ");
  EXPECT_NE(guide.statusLine.find("200"), std::string::npos);
  EXPECT_NE(guide.headers.find("Connection: close"), std::string::npos);
  EXPECT_EQ(guide.headers.find("chunked"), std::string::npos) << "an HTTP/1.0 reader cannot undo chunking";
  ASSERT_TRUE(guide.wellFormed);
  EXPECT_NE(guide.body.find("</tvlist>"), std::string::npos);

  auto catalogue = ChannelCatalogue::Parse(fromUtf8(demo.Get("/tv.action?type=1&uuid=" + uuid).body));
  ASSERT_EQ(guide.channels.size(), catalogue->channels().size());
  for (const auto& c : catalogue->channels()) {
    const Channel& channel = guide.channels[toUtf8(c->id)];
    EXPECT_EQ(channel.name, toUtf8(c->name));
    ASSERT_GE(channel.items.size(), 16u);
    ASSERT_LE(channel.items.size(), 32u);
    int previous = -1;
    for (const Item& item : channel.items) {
      int start = secondsOf(item.starttime);
      ASSERT_GE(start, 0) << item.starttime;
      if (previous < 0) {
        EXPECT_EQ(start, 0) << "the day starts at 00:00:00";
      }
      EXPECT_GT(start, previous);
      previous = start;
      EXPECT_FALSE(item.title.empty());
      EXPECT_EQ(item.startdate, day);
    }
    EXPECT_NE(channel.items.back().enddate, day) << "the last programme runs to midnight";
  }
}

TEST(DemoServiceGuide, SameChannelAndDateGiveTheSameProgrammesOtherDatesOthers) {
  DemoService a({"--groups", "1", "--channels-per-group", "3"});
  DemoService b({"--groups", "1", "--channels-per-group", "3"});
  ASSERT_TRUE(a.started() && b.started()) << a.error() << b.error();
  auto titles = [](const Guide& g) {
    std::vector<std::string> out;
    for (const auto& id : g.order)
      for (const auto& item : g.channels.at(id).items) out.push_back(id + item.starttime + item.title);
    return out;
  };
  const Guide first = fetch(a, a.SignIn(), "2024-02-28", "2024-02-28");
  EXPECT_EQ(titles(first), titles(fetch(b, b.SignIn(), "2024-02-28", "2024-02-28")));
  EXPECT_NE(titles(first), titles(fetch(a, a.SignIn(), "2024-02-29", "2024-02-29")));
  EXPECT_EQ(first.channels.at("10001").items.back().enddate, "2024-02-29");
  EXPECT_EQ(fetch(a, a.SignIn(), "2024-12-31", "2024-12-31").channels.at("10001").items.back().enddate, "2025-01-01");
}

TEST(DemoServiceGuide, SeveralDaysFollowOneAnother) {
  DemoService demo({"--groups", "1", "--channels-per-group", "1", "--programmes-per-day", "3"});
  ASSERT_TRUE(demo.started()) << demo.error();
  Guide guide = fetch(demo, demo.SignIn(), "2024-01-31", "2024-02-01");
  ASSERT_EQ(guide.channels.size(), 1u);
  const auto& items = guide.channels.begin()->second.items;
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].startdate, "2024-01-31");
  EXPECT_EQ(items[3].startdate, "2024-02-01");
  EXPECT_EQ(items[3].starttime, "00:00:00");
}

TEST(DemoServiceGuide, BadRequestsGetNoAcceptedReply) {
  DemoService demo({"--groups", "1", "--channels-per-group", "1"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  struct Case {
    std::string uuid, start, end;
  } cases[] = {
      {"stranger", "2024-05-10", "2024-05-10"},
      {uuid, "2024-02-30", "2024-02-30"},
      {uuid, "2024-05-10", "2024-05-09"},
      {uuid, "10-05-2024", "10-05-2024"},
      {uuid, "2024-05-01", "2024-05-31"},
  };
  for (const auto& c : cases) {
    std::string reply = DemoService::RawExchange(demo.port(), request(demo.port(), c.uuid, c.start, c.end));
    ASSERT_FALSE(reply.empty());
    // The client accepts any first block that holds "200" somewhere.
    EXPECT_EQ(reply.find("200"), std::string::npos) << c.uuid << " " << c.start << " " << c.end;
  }
}

TEST(DemoServiceGuide, LargeLineUpStreamsCompletely) {
  DemoService demo({"--groups", "10", "--channels-per-group", "50", "--programmes-per-day", "20"});
  ASSERT_TRUE(demo.started()) << demo.error();
  Guide guide = fetch(demo, demo.SignIn(), "2024-06-01", "2024-06-01");
  ASSERT_TRUE(guide.wellFormed);
  EXPECT_EQ(guide.channels.size(), 500u);
  EXPECT_EQ(guide.channels.at("10500").items.size(), 20u);
}

}  // namespace
}  // namespace tembra
