#include "stats/StatsReporter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/LoopbackListener.h"
#include "stats/StatsRecord.h"
#include "stats/StatsTestSupport.h"

namespace tembra {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::LoopbackListener;
using test::readFile;
using test::uploadedRecords;
using test::writeFile;
using Records = std::vector<std::string>;

std::string rec(const std::string& time, const std::string& body) {
  return test::recordText("Debian GNU/Linux 12 (bookworm)", time, body);
}

struct Fixture : test::ReporterRun {
  Fixture() : ReporterRun(test::utc(2011, 5, 4, 20, 15, 9), u"Debian GNU/Linux 12 (bookworm)") {}
  static std::u16string url(uint16_t port) {
    return asciiToUtf16("http://127.0.0.1:" + std::to_string(port) + "/bi/collect");
  }
};

bool waitRequests(const LoopbackListener& server, size_t n) {
  return eventually([&] { return server.requests().size() >= n; });
}

TEST(StatsReporter, AWholeRunMakesItsRecordsInOrderByteForByte) {
  Fixture f;
  LoopbackListener server(test::kOk);
  auto stats = StatsReporter::create(Fixture::url(server.port()), f.setup());
  stats->markCatalogueStart();
  f.clock.advance(3);
  stats->recordCatalogueLoaded();
  ASSERT_TRUE(waitRequests(server, 1));
  f.clock.advance(2);
  stats->recordStartup(true);
  ASSERT_TRUE(waitRequests(server, 2));
  // The first channel of a run makes no record and wakes nobody.
  stats->recordChannelWatch(true, u"101", u"News One", u"1", u"News");
  f.clock.advance(120);
  stats->recordChannelWatch(true, u"102", u"संगम Beats", u"", u"");
  ASSERT_TRUE(waitRequests(server, 3));
  f.clock.advance(30);
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(uploadedRecords(requests[0]),
            (Records{rec("2011-05-04 20:15:09", R"({"00006",{"240011","1.0.2","hi_IN"}})"),
                     rec("2011-05-04 20:15:12", R"({"02008",{"240011","3"}})")}));
  EXPECT_EQ(uploadedRecords(requests[1]),
            Records{rec("2011-05-04 20:15:14", R"({"06001",{"240011","1.0.2","hi_IN","5"}})")});
  EXPECT_EQ(uploadedRecords(requests[2]),
            Records{rec("2011-05-04 20:17:14", R"({"02011",{"0","240011","101","News One","120","1","News"}})")});
  EXPECT_EQ(uploadedRecords(requests[3]),
            (Records{rec("2011-05-04 20:17:44", R"({"02011",{"0","240011","102","संगम Beats","30","",""}})"),
                     rec("2011-05-04 20:17:44", R"({"00007",{"240011","1.0.2","hi_IN"}})")}));
  // Every upload is a form POST of "collected" on the server's host and port.
  for (const auto& r : requests) {
    EXPECT_EQ(r.rfind("POST /collected HTTP/1.1\r\n", 0), 0u) << r.substr(0, 80);
    EXPECT_NE(r.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_NE(r.find("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(f.backlog()));
}

TEST(StatsReporter, ClosingBeforeAnyChannelMakesOnlyTheCloseRecord) {
  Fixture f;
  LoopbackListener server(test::kOk);
  auto stats = StatsReporter::create(Fixture::url(server.port()), f.setup());
  f.clock.advance(7);
  stats->recordShutdown();
  stats->recordShutdown();  // a second close path adds nothing
  EXPECT_TRUE(stats->waitForUploadEnd());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(uploadedRecords(server.requests()[0]),
            (Records{rec("2011-05-04 20:15:09", R"({"00006",{"240011","1.0.2","hi_IN"}})"),
                     rec("2011-05-04 20:15:16", R"({"00007",{"240011","1.0.2","hi_IN"}})")}));
  EXPECT_EQ(stats->unacceptedCount(), 0u);
}

TEST(StatsReporter, TheBacklogIsLoadedDeletedAndSentFirst) {
  Fixture f;
  writeFile(f.backlog(), "{old one}\n{old two}\r\n{old three}\n");
  LoopbackListener server(test::kOk);
  auto stats = StatsReporter::create(Fixture::url(server.port()), f.setup());
  EXPECT_FALSE(std::filesystem::exists(f.backlog()));
  stats->recordCatalogueLoaded();
  ASSERT_TRUE(waitRequests(server, 1));
  EXPECT_EQ(uploadedRecords(server.requests()[0]),
            (Records{"{old one}", "{old two}\r", "{old three}",
                     rec("2011-05-04 20:15:09", R"({"00006",{"240011","1.0.2","hi_IN"}})"),
                     rec("2011-05-04 20:15:09", R"({"02008",{"240011","0"}})")}));
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());
  EXPECT_FALSE(std::filesystem::exists(f.backlog()));
}

TEST(StatsReporter, ARefusingCollectorAtCloseLeavesEverythingInTheBacklog) {
  Fixture f;
  writeFile(f.backlog(), "{from last run}\n");
  auto stats = StatsReporter::create(Fixture::url(test::refusedPort()), f.setup());
  stats->recordCatalogueLoaded();
  stats->recordChannelWatch(true, u"5", u"Five", u"2", u"Films");
  f.clock.advance(60);
  stats->recordShutdown();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(stats->waitForUploadEnd());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  const Records lines = f.backlogLines();
  ASSERT_EQ(lines.size(), 5u) << readFile(f.backlog());
  EXPECT_EQ(lines[0], "{from last run}");
  EXPECT_NE(lines[1].find(R"({"00006",)"), std::string::npos);
  EXPECT_NE(lines[2].find(R"({"02008",)"), std::string::npos);
  EXPECT_NE(lines[3].find(R"({"02011",{"0","240011","5","Five","60","2","Films"}})"), std::string::npos);
  EXPECT_NE(lines[4].find(R"({"00007",)"), std::string::npos);
}

TEST(StatsReporter, ACollectorThatNeverAnswersDoesNotHoldTheClose) {
  Fixture f;
  LoopbackListener server("", LoopbackListener::Mode::Silent);
  auto stats = StatsReporter::create(Fixture::url(server.port()), f.setup());
  stats->recordCatalogueLoaded();
  ASSERT_TRUE(eventually([&] { return server.connections() >= 1; }));
  // Record calls only queue: a hanging upload never slows them down.
  const auto before = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) stats->recordChannelWatch(true, u"9", u"Nine", u"", u"");
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  stats->recordShutdown();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(stats->waitForUploadEnd(1000ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  const Records lines = f.backlogLines();
  ASSERT_EQ(lines.size(), 203u);  // 00006, 02008, 199 + 1 watch records, 00007
  EXPECT_NE(lines.front().find(R"({"00006",)"), std::string::npos);
  EXPECT_NE(lines.back().find(R"({"00007",)"), std::string::npos);
}

TEST(StatsReporter, AFailedUploadIsRetriedOnTheTimerWithoutANewRecord) {
  Fixture f;
  LoopbackListener server(test::k500);
  auto setup = f.setup();
  setup.retryInterval = 200ms;
  auto stats = StatsReporter::create(Fixture::url(server.port()), setup);
  stats->recordCatalogueLoaded();
  ASSERT_TRUE(waitRequests(server, 3));
  const auto requests = server.requests();
  EXPECT_EQ(uploadedRecords(requests[0]).size(), 2u);
  EXPECT_EQ(uploadedRecords(requests[2]), uploadedRecords(requests[0]));
  EXPECT_EQ(stats->unacceptedCount(), 2u);
}

TEST(StatsReporter, ALargeUploadGoesInSeveralRequestsOldestFirstAndNothingIsCut) {
  Fixture f;
  LoopbackListener server(test::kOk);
  auto stats = StatsReporter::create(Fixture::url(server.port()), f.setup());
  std::vector<std::u16string> bodies;
  for (char16_t c : {u'a', u'b', u'c'}) bodies.push_back(u"{\"99999\",{\"" + std::u16string(40000, c) + u"\"}}");
  bodies.push_back(u"{\"99999\",{\"" + std::u16string(150000, u'd') + u"\"}}");
  for (const auto& b : bodies) stats->queueRecord(b);
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());
  const auto requests = server.requests();
  // [00006, a, b] fit one request; c and the huge d each go alone; then 00007.
  ASSERT_EQ(requests.size(), 4u);
  Records all;
  for (const auto& r : requests) {
    const Records part = uploadedRecords(r);
    size_t bytes = 0;
    for (const auto& p : part) bytes += p.size();
    if (part.size() > 1) {
      EXPECT_LE(bytes + 2 * (part.size() - 1), StatsEncoding::kMaxUploadBytes);
    }
    all.insert(all.end(), part.begin(), part.end());
  }
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(uploadedRecords(requests[0]).size(), 3u);
  EXPECT_EQ(all[0], rec("2011-05-04 20:15:09", R"({"00006",{"240011","1.0.2","hi_IN"}})"));
  for (size_t i = 0; i < bodies.size(); ++i) EXPECT_EQ(all[i + 1], rec("2011-05-04 20:15:09", toUtf8(bodies[i])));
  EXPECT_EQ(all[5], rec("2011-05-04 20:15:09", R"({"00007",{"240011","1.0.2","hi_IN"}})"));
}

TEST(StatsReporter, TheServerClockCorrectsEveryHeader) {
  Fixture f;
  f.clock.seconds = 1299999990;
  // The same canned reply serves the clock and, as a 200, the uploads.
  LoopbackListener server("HTTP/1.0 200 OK\r\n\r\n1300000000999");
  auto setup = f.setup();
  setup.measureClock = true;
  auto stats = StatsReporter::create(Fixture::url(server.port()), setup);
  EXPECT_EQ(stats->serverOffset(), 10);
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("GET /getTime HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(uploadedRecords(requests[1])[0],
            rec("2011-03-13 07:06:40", R"({"00006",{"240011","1.0.2","hi_IN"}})"));
}

TEST(StatsReporter, AnUnusableServerAddressKeepsRecordsForTheNextRun) {
  Fixture f;
  auto stats = StatsReporter::create(u"not a url", f.setup());
  EXPECT_FALSE(stats->server());
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());
  EXPECT_EQ(f.backlogLines().size(), 2u);
}

TEST(StatsReporter, ServerAddressSplitsIntoHostAndPort) {
  auto a = StatsServer::FromUrl(u"http://bi.example.com:8081/path/x");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->host, "bi.example.com");
  EXPECT_EQ(a->port, 8081);
  EXPECT_EQ(StatsServer::FromUrl(u"http://bi.example.com/x")->port, 80);
  EXPECT_EQ(StatsServer::FromUrl(u"HTTPS://user@bi.example.com?q")->port, 443);
  EXPECT_EQ(StatsServer::FromUrl(u"http://10.0.0.1:")->port, 80);
  for (const char16_t* bad : {u"", u"http://", u"http://:80/", u"http://h:0/", u"http://h:65536/",
                              u"http://h:8o/", u"ftp://h/", u"http://h h/"}) {
    EXPECT_FALSE(StatsServer::FromUrl(bad)) << toUtf8(bad);
  }
}

}  // namespace
}  // namespace tembra
