// The statistics reporter against the demo service's collector and clock.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TempDir.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "stats/StatsEncoding.h"
#include "stats/StatsRecord.h"
#include "stats/StatsReporter.h"
#include "stats/StatsTestSupport.h"

namespace tembra {
namespace {

using namespace std::chrono_literals;
using test::DemoService;
using test::eventually;
using test::TempDir;
using Records = std::vector<std::string>;

std::u16string statsUrl(const DemoService& demo) { return fromUtf8(demo.base() + "/bi/collect"); }

const int64_t kStart = test::utc(2024, 5, 4, 20, 15, 9);
// A record made `after` seconds into the run, its time in this machine's zone.
std::string rec(int64_t after, const std::string& body) {
  return test::recordText("", toUtf8(StatsRecord::LocalTime(kStart + after, 0)), body);
}

TEST(StatsReporterDemo, AWholeRunArrivesAtTheCollectorByteForByte) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  test::ReporterRun run(kStart, u"");
  auto stats = StatsReporter::create(statsUrl(demo), run.setup());
  stats->markCatalogueStart();
  run.clock.advance(2);
  stats->recordCatalogueLoaded();
  stats->recordStartup(true);
  stats->recordChannelWatch(true, u"10002", u"संगम Beats \"quoted\"", u"121", u"News");
  run.clock.advance(61);
  stats->recordChannelWatch(true, u"10003", u"Films", u"", u"");
  run.clock.advance(9);
  stats->recordShutdown();
  EXPECT_TRUE(stats->waitForUploadEnd());
  EXPECT_EQ(demo.Records(),
            (Records{rec(0, R"({"00006",{"240011","1.0.2","hi_IN"}})"),
                     rec(2, R"({"02008",{"240011","2"}})"),
                     rec(2, R"({"06001",{"240011","1.0.2","hi_IN","2"}})"),
                     rec(63, R"({"02011",{"0","240011","10002","संगम Beats "quoted"","61","121","News"}})"),
                     rec(72, R"({"02011",{"0","240011","10003","Films","9","",""}})"),
                     rec(72, R"({"00007",{"240011","1.0.2","hi_IN"}})")}));
  EXPECT_FALSE(std::filesystem::exists(run.backlog()));
}

TEST(StatsReporterDemo, RecordsRefusedWithA500GoFirstWithTheNextUpload) {
  DemoService demo({"--stats-500"});
  ASSERT_TRUE(demo.started()) << demo.error();
  test::ReporterRun run(kStart, u"");
  auto stats = StatsReporter::create(statsUrl(demo), run.setup());
  stats->recordCatalogueLoaded();
  ASSERT_TRUE(eventually([&] { return stats->requestsMade() == 1; }));
  EXPECT_TRUE(demo.Records().empty());
  EXPECT_EQ(stats->unacceptedCount(), 2u);
  EXPECT_EQ(demo.Post("/collected", StatsEncoding::EncodeBody(u"x")).status, 500);
  ASSERT_EQ(demo.Post("/demo/faults", "stats-500=0").status, 200);
  run.clock.advance(1);
  stats->recordStartup(true);
  ASSERT_TRUE(eventually([&] { return stats->requestsMade() == 2; }));
  const Records got = demo.Records();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_NE(got[0].find(R"({"00006",)"), std::string::npos);
  EXPECT_NE(got[1].find(R"({"02008",)"), std::string::npos);
  EXPECT_NE(got[2].find(R"({"06001",)"), std::string::npos);
  EXPECT_EQ(stats->unacceptedCount(), 0u);
}

TEST(StatsReporterDemo, AHangingCollectorAtCloseLeavesTheRunInTheBacklogForTheNext) {
  test::ReporterRun run(kStart, u"");
  Records made;
  {
    DemoService hanging({"--hang-stats"});
    ASSERT_TRUE(hanging.started()) << hanging.error();
    auto stats = StatsReporter::create(statsUrl(hanging), run.setup());
    stats->recordCatalogueLoaded();
    stats->recordChannelWatch(true, u"1", u"One", u"9", u"Group");
    run.clock.advance(5);
    stats->recordChannelWatch(true, u"2", u"Two", u"9", u"Group");
    stats->recordShutdown();
    const auto start = std::chrono::steady_clock::now();
    stats->waitForUploadEnd();
    EXPECT_LT(std::chrono::steady_clock::now() - start, StatsReporter::kCloseWait + 3s);
    ASSERT_TRUE(std::filesystem::exists(run.backlog()));
    made = run.backlogLines();
    ASSERT_EQ(made.size(), 5u) << test::readFile(run.backlog());  // 00006, 02008, two 02011, 00007
  }
  // The next run sends them before its own.
  DemoService healthy;
  ASSERT_TRUE(healthy.started()) << healthy.error();
  auto next = StatsReporter::create(statsUrl(healthy), run.setup());
  EXPECT_FALSE(std::filesystem::exists(run.backlog()));
  next->recordStartup(true);
  next->recordShutdown();
  EXPECT_TRUE(next->waitForUploadEnd());
  const Records got = healthy.Records();
  ASSERT_EQ(got.size(), 8u);
  EXPECT_EQ(Records(got.begin(), got.begin() + 5), made);
  EXPECT_NE(got[5].find(R"({"00006",)"), std::string::npos);
  EXPECT_NE(got[7].find(R"({"00007",)"), std::string::npos);
}

TEST(StatsReporterDemo, TheServerClockOffsetComesFromGetTime) {
  DemoService ahead({"--clock-offset", "3600"});
  ASSERT_TRUE(ahead.started()) << ahead.error();
  StatsReporter::Setup setup;
  TempDir dir("stats-clock");
  setup.backlogPath = dir.file("bi.dat");
  auto stats = StatsReporter::create(statsUrl(ahead), setup);
  EXPECT_GE(stats->serverOffset(), 3598);
  EXPECT_LE(stats->serverOffset(), 3601);
  // The header carries the corrected time: an hour ahead of the local one.
  const std::time_t later = std::time(nullptr) + 3600;
  std::tm parts{};
  localtime_r(&later, &parts);
  char hour[16];
  std::strftime(hour, sizeof hour, "%Y-%m-%d %H", &parts);
  EXPECT_NE(toUtf8(stats->header()).find(hour), std::string::npos) << toUtf8(stats->header());
}

TEST(StatsReporterDemo, AClockThatNeverAnswersDelaysStartUpOnlyBriefly) {
  DemoService silent({"--hang-time"});
  ASSERT_TRUE(silent.started()) << silent.error();
  TempDir dir("stats-clock");
  StatsReporter::Setup setup;
  setup.backlogPath = dir.file("bi.dat");
  const auto start = std::chrono::steady_clock::now();
  auto stats = StatsReporter::create(statsUrl(silent), setup);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(stats->serverOffset(), 0);
}

}  // namespace
}  // namespace tembra
