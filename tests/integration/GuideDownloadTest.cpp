// The programme guide against the demo operator service: creation with
// its preload, on-demand downloads and their messages, and the guide
// service's faults.
#include <gtest/gtest.h>

#include <chrono>

#include "TempDir.h"
#include "guide/GuideTestSupport.h"
#include "guide/ProgrammeGuide.h"
#include "integration/DemoService.h"
#include "platform/Utf.h"
#include "service/ChannelCatalogue.h"

namespace tembra {
namespace {

using test::At;
using test::DemoService;
using test::eventually;
using test::RecordingWindow;
using Status = GuideDownloadStatus;
using DayState = ProgrammeGuide::DayState;

class GuideAgainstDemo : public ::testing::Test {
 protected:
  std::unique_ptr<ProgrammeGuide> Make(const DemoService& demo, const std::string& uuid, bool creation) {
    return test::MakeGuide(demo.base(), fromUtf8(uuid), &clock_, dir_.path(), limits_, creation);
  }
  static void Fault(const DemoService& demo, const std::string& form) {
    ASSERT_EQ(demo.Post("/demo/faults", form).status, 200) << form;
  }

  test::TempDir dir_{"guide-demo"};
  // 28 February of a leap year: the three days are 28, 29 February, 1 March.
  FixedClock clock_{At(2024, 2, 28, 12, 0, 0)};
  GuideLimits limits_;
};

TEST_F(GuideAgainstDemo, CreationLoadsTodayAndPreloadsTwoDaysOfTheCatalogueChannels) {
  DemoService demo({"--groups", "2", "--channels-per-group", "5", "--missing-from-guide", "2", "--guide-extra",
                    "1"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  ASSERT_FALSE(uuid.empty());
  auto guide = Make(demo, uuid, true);
  ASSERT_EQ(guide->GetDayState(0), DayState::Loaded);
  ASSERT_TRUE(eventually([&] { return guide->GetDayState(2) != DayState::NotLoaded &&
                                      guide->GetDayState(2) != DayState::Downloading; }));
  ASSERT_EQ(guide->GetDayState(1), DayState::Loaded);
  ASSERT_EQ(guide->GetDayState(2), DayState::Loaded);

  auto catalogue = ChannelCatalogue::Parse(fromUtf8(demo.Get("/tv.action?type=1&uuid=" + uuid).body));
  const char* dates[] = {"2024-02-28", "2024-02-29", "2024-03-01"};
  for (int d = 0; d < 3; ++d) {
    const GuideDayListPtr list = guide->dayList(d);
    EXPECT_EQ(list->size(), 9u) << "8 catalogue channels with a guide and 1 extra";
    for (const GuideChannelDay& c : list->channels()) {
      EXPECT_EQ(c.dayKey, guide->dayKey(d));
      ASSERT_FALSE(c.entries.empty());
      EXPECT_EQ(toUtf8(c.entries.front().startdate), dates[d]);
      EXPECT_EQ(c.entries.front().starttime, u"00:00:00");
    }
  }
  // Every catalogue channel with a guide has its name, and a programme on
  // at noon.
  std::vector<GuideRow> rows;
  ASSERT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 9u);
  size_t named = 0;
  for (const auto& channel : catalogue->channels()) {
    const auto c = guide->dayList(0)->Find(channel->id);
    if (c) {
      ++named;
      EXPECT_EQ(c->name, channel->name);
    }
  }
  EXPECT_EQ(named, 8u);
  rows.clear();
  ASSERT_EQ(guide->GetUpcoming(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 9u);
  // One starting exactly at noon is still to come.
  for (const GuideRow& row : rows) EXPECT_GE(row.entry.starttime, u"12:00:00");
}

TEST_F(GuideAgainstDemo, ADayListAskedForArrivesWithItsMessage) {
  DemoService demo({"--groups", "1", "--channels-per-group", "3", "--programmes-per-day", "20"});
  ASSERT_TRUE(demo.started()) << demo.error();
  RecordingWindow window;
  auto guide = Make(demo, demo.SignIn(), false);
  guide->SetResultWindow(&window);
  std::vector<GuideRow> rows;
  ASSERT_EQ(guide->GetDayList(2, u"10002", rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(1));
  const auto message = window.messages()[0];
  EXPECT_EQ(message.id, WM_GUIDE_THIRDDAY);
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(message.lParam, 2);
  ASSERT_EQ(guide->GetDayList(2, u"10002", rows, false), ProgrammeGuide::kRows);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[0].id, u"10002");
  EXPECT_EQ(rows[0].entry.startdate, u"2024-03-01");
  // Today was never asked for.
  EXPECT_EQ(guide->GetDayState(0), DayState::NotLoaded);
}

TEST_F(GuideAgainstDemo, ErrorPagesAndStrangersAreRefusedAndLeaveTheDayAlone) {
  DemoService demo({"--groups", "1", "--channels-per-group", "2"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  auto guide = Make(demo, uuid, false);
  ASSERT_EQ(guide->DownloadWithStatus(0), Status::Stored);
  ASSERT_EQ(guide->dayList(0)->size(), 2u);
  for (const char* fault : {"guide-404", "guide-500"}) {
    Fault(demo, std::string(fault) + "=1");
    EXPECT_EQ(guide->DownloadWithStatus(0), Status::Rejected) << fault;
    EXPECT_EQ(guide->DownloadWithStatus(1), Status::Rejected) << fault;
    Fault(demo, std::string(fault) + "=0");
  }
  EXPECT_EQ(guide->dayList(0)->size(), 2u);
  EXPECT_EQ(guide->GetDayState(1), DayState::NotLoaded);
  EXPECT_EQ(Make(demo, "stranger", false)->DownloadWithStatus(0), Status::Rejected);
}

TEST_F(GuideAgainstDemo, AHangingGuideIsGivenUpAtTheIdleLimit) {
  DemoService demo({"--groups", "1", "--channels-per-group", "2", "--hang-guide", "--hang-seconds", "20"});
  ASSERT_TRUE(demo.started()) << demo.error();
  limits_.idleMs = 700;
  auto guide = Make(demo, demo.SignIn(), false);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::Stalled);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_EQ(guide->GetDayState(0), DayState::NotLoaded);
}

// A cut-off reply is a failed download, not an empty day: once the server
// answers whole again, the day loads.
TEST_F(GuideAgainstDemo, ACutOffReplyFailsAndTheDayLoadsOnceTheServerRecovers) {
  DemoService demo({"--groups", "1", "--channels-per-group", "3", "--guide-malformed"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto guide = Make(demo, demo.SignIn(), false);
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::Malformed);
  const std::string stored = test::readFile(dir_.file("tv.xml"));
  EXPECT_EQ(stored.rfind("<?xml", 0), 0u) << "the headers were not stored";
  EXPECT_EQ(stored.substr(stored.size() - 9), "<title>Th");
  EXPECT_FALSE(guide->dayEmpty(0));
  EXPECT_EQ(guide->GetDayState(0), DayState::NotLoaded);
  ASSERT_EQ(demo.Post("/demo/faults", "guide-malformed=0").status, 200);
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::Stored);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 3u);
}

}  // namespace
}  // namespace tembra
