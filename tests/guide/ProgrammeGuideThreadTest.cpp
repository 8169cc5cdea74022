// The guide's threads: the creation download and preload, the on-demand
// download thread and its message, readers during a download, and
// destruction while a thread runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "TempDir.h"
#include "guide/GuideTestSupport.h"
#include "guide/ProgrammeGuide.h"
#include "platform/LoopbackListener.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::At;
using test::eventually;
using test::Http200;
using test::LoopbackListener;
using test::RecordingWindow;
using test::ReplyBody;
using namespace std::chrono_literals;
using DayState = ProgrammeGuide::DayState;

const std::string kBody = ReplyBody({{"1", "One", {"10:00:00|Ten", "12:00:00|Noon"}}});

class GuideThreads : public ::testing::Test {
 protected:
  std::unique_ptr<ProgrammeGuide> Make(uint16_t port, std::u16string uuid = u"u-1", bool creation = false) {
    return test::MakeGuide("http://127.0.0.1:" + std::to_string(port), std::move(uuid), &clock_, dir_.path(), limits_,
                           creation, creationWait_);
  }

  test::TempDir dir_{"guide-threads"};
  FixedClock clock_{At(2024, 2, 28, 12, 0, 0)};
  GuideLimits limits_;
  std::chrono::milliseconds creationWait_ = ProgrammeGuide::kCreationWait;
};

TEST_F(GuideThreads, CreationLoadsTodayAtOnceAndPreloadsTheNextTwoDays) {
  LoopbackListener server(Http200(kBody));
  auto guide = Make(server.port(), u"u-1", true);
  // Today came before the constructor returned.
  EXPECT_EQ(guide->GetDayState(0), DayState::Loaded);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
  ASSERT_TRUE(eventually([&] { return guide->GetDayState(2) == DayState::Loaded; }));
  EXPECT_EQ(guide->GetDayState(1), DayState::Loaded);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[0].find("startdate=2024-02-28&enddate=2024-02-28 "), std::string::npos);
  EXPECT_NE(requests[1].find("startdate=2024-02-29&enddate=2024-02-29 "), std::string::npos);
  EXPECT_NE(requests[2].find("startdate=2024-03-01&enddate=2024-03-01 "), std::string::npos);
  EXPECT_EQ(guide->dayList(2)->channels()[0].dayKey, u"30");
}

// A guide server that is slow to answer holds creation (and the window's
// start-up behind it) only for the creation wait; today's download goes on
// and its end reaches the window like a requested download's.
TEST_F(GuideThreads, CreationWaitsForTodayOnlySoLongThenPostsItsEnd) {
  LoopbackListener slow(std::vector<LoopbackListener::Step>{{"", 1500}, {Http200(kBody), 0}});
  creationWait_ = 200ms;
  const auto start = std::chrono::steady_clock::now();
  auto guide = Make(slow.port(), u"u-1", true);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1200ms);
  EXPECT_EQ(guide->GetDayState(0), DayState::Downloading);
  RecordingWindow window;
  guide->SetResultWindow(&window);
  ASSERT_TRUE(window.WaitFor(1, 5000ms));
  const auto messages = window.messages();
  EXPECT_EQ(messages[0].id, WM_GUIDE_NOWPLAYING);
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_EQ(guide->GetDayState(0), DayState::Loaded);
  // The preload of the next two days follows as before.
  ASSERT_TRUE(eventually([&] { return guide->GetDayState(2) == DayState::Loaded; }, 10000ms));
  EXPECT_EQ(window.messages().size(), 1u) << "the preload posts nothing";
}

TEST_F(GuideThreads, CreationThatEndsInTimePostsNothing) {
  LoopbackListener server(Http200(kBody));
  auto guide = Make(server.port(), u"u-1", true);
  EXPECT_EQ(guide->GetDayState(0), DayState::Loaded);
  RecordingWindow window;
  guide->SetResultWindow(&window);
  ASSERT_TRUE(eventually([&] { return guide->GetDayState(2) == DayState::Loaded; }));
  EXPECT_FALSE(window.WaitFor(1, 500ms));
}

TEST_F(GuideThreads, CreationWithoutASessionSendsNothingAndStaysUsable) {
  LoopbackListener server(Http200(kBody));
  auto guide = Make(server.port(), u"", true);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kNotLoaded);
  guide.reset();
  EXPECT_EQ(server.connections(), 0);
}

TEST_F(GuideThreads, AnEmptyDayListAsksForADownloadThatPostsItsMessageOnce) {
  LoopbackListener server(Http200(kBody));
  RecordingWindow window;
  auto guide = Make(server.port());
  guide->SetResultWindow(&window);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, false), ProgrammeGuide::kDownloadStarted);
  EXPECT_EQ(guide->GetDayState(1), DayState::Downloading);
  // A second request while the first runs is dropped: one message only.
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, false), ProgrammeGuide::kDownloadStarted);
  EXPECT_EQ(guide->GetNowPlaying(rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(1));
  auto messages = window.messages();
  EXPECT_EQ(messages[0].id, WM_GUIDE_SECONDDAY);
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_EQ(messages[0].lParam, 1);
  ASSERT_TRUE(eventually([&] { return !guide->downloadRunning(); }));
  EXPECT_FALSE(window.WaitFor(2, 2500ms)) << "a dropped request must not run later";
  EXPECT_EQ(server.connections(), 1);
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, false), ProgrammeGuide::kRows);
  EXPECT_EQ(rows.size(), 2u);
}

TEST_F(GuideThreads, AFailedDownloadPostsZeroWithTheDayAndAllowsTheNextRequest) {
  RecordingWindow window;
  auto guide = Make(test::refusedPort());
  guide->SetResultWindow(&window);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetUpcoming(rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(1));
  ASSERT_TRUE(eventually([&] { return !guide->downloadRunning(); }));
  EXPECT_EQ(guide->GetDayState(0), DayState::NotLoaded);
  EXPECT_EQ(guide->GetDayList(2, u"1", rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(2));
  const auto messages = window.messages();
  EXPECT_EQ(messages[0].id, WM_GUIDE_UPCOMING);
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_EQ(messages[0].lParam, 0);
  EXPECT_EQ(messages[1].id, WM_GUIDE_THIRDDAY);
  EXPECT_EQ(messages[1].wParam, 0u);
  EXPECT_EQ(messages[1].lParam, 2);
}

TEST_F(GuideThreads, ReadersAreNotHeldUpByARunningDownloadAndDestructionCutsIt) {
  limits_.idleMs = 30000;
  LoopbackListener silent("", LoopbackListener::Mode::Silent);
  RecordingWindow window;
  auto guide = Make(silent.port());
  guide->SetResultWindow(&window);
  test::writeFile(dir_.file("today.xml"), kBody);
  ASSERT_TRUE(guide->LoadDay(0, dir_.file("today.xml")));
  guide->RequestDownload(1, WM_GUIDE_SECONDDAY);
  ASSERT_TRUE(eventually([&] { return silent.requests().size() == 1; }));
  // The exchange is under way and will not end by itself for 30 seconds.
  for (int i = 0; i < 100; ++i) {
    std::vector<GuideRow> rows;
    ASSERT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
    ASSERT_EQ(guide->GetDayList(1, u"1", rows, true), ProgrammeGuide::kNotLoaded);
  }
  EXPECT_TRUE(guide->downloadRunning());
  EXPECT_EQ(guide->GetDayState(1), DayState::Downloading);
  const auto start = std::chrono::steady_clock::now();
  guide.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "destruction waited for the idle limit";
  EXPECT_TRUE(window.messages().empty()) << "nothing is posted once the guide is going away";
}

TEST_F(GuideThreads, DestructionDuringTheRequestDelayStartsNoExchange) {
  LoopbackListener server(Http200(kBody));
  RecordingWindow window;
  auto guide = Make(server.port());
  guide->SetResultWindow(&window);
  guide->RequestDownload(0, WM_GUIDE_NOWPLAYING);
  guide.reset();
  EXPECT_EQ(server.connections(), 0);
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(GuideThreads, ReadersSeeOnlyWholeListsWhileDaysAreReplaced) {
  // Two replies of different sizes; every read must see one of them whole.
  std::vector<test::ReplyChannel> small, large;
  for (int c = 0; c < 20; ++c) small.push_back({std::to_string(c), "S", {"01:00:00|a", "13:00:00|b"}});
  for (int c = 0; c < 200; ++c) large.push_back({std::to_string(c), "L", {"01:00:00|a", "13:00:00|b"}});
  test::writeFile(dir_.file("small.xml"), ReplyBody(small));
  test::writeFile(dir_.file("large.xml"), ReplyBody(large));
  auto guide = Make(test::refusedPort(), u"");
  ASSERT_TRUE(guide->LoadDay(0, dir_.file("small.xml")));
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 60; ++i) guide->LoadDay(i % 3, dir_.file(i % 2 ? "large.xml" : "small.xml"));
    done = true;
  });
  std::set<size_t> sizes;
  while (!done) {
    std::vector<GuideRow> rows;
    ASSERT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kRows);
    ASSERT_TRUE(rows.size() == 20 || rows.size() == 200) << rows.size();
    sizes.insert(rows.size());
    rows.clear();
    guide->GetUpcoming(rows, true);
    ASSERT_TRUE(rows.size() == 20 || rows.size() == 200) << rows.size();
  }
  writer.join();
  EXPECT_FALSE(guide->dayEmpty(0));
}

// A reply over the size limit is settled, not retried: the window is told
// at once (wParam 1) so that it shows why instead of a retry countdown, its
// own retries get nothing, and only the viewer choosing the list again
// downloads it again.
TEST_F(GuideThreads, AReplyOverTheSizeLimitIsNotRetriedUntilTheViewerAsks) {
  limits_.maxBodyBytes = kBody.size() - 1;
  LoopbackListener server(Http200(kBody));
  RecordingWindow window;
  auto guide = Make(server.port());
  guide->SetResultWindow(&window);
  std::vector<GuideRow> rows;
  EXPECT_TRUE(guide->statusText().empty());
  ASSERT_EQ(guide->GetNowPlaying(rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(1));
  ASSERT_TRUE(eventually([&] { return !guide->downloadRunning(); }));
  EXPECT_EQ(window.messages()[0].id, WM_GUIDE_NOWPLAYING);
  EXPECT_EQ(window.messages()[0].wParam, 1u) << "settled: the list asks again at once";
  EXPECT_EQ(guide->GetDayState(0), DayState::TooLarge);
  EXPECT_TRUE(guide->dayTooLarge(0));
  EXPECT_FALSE(guide->dayEmpty(0)) << "not a day without programmes";
  EXPECT_NE(toUtf8(guide->statusText()).find("too large"), std::string::npos);

  // The window's own retries: nothing, and no download.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(guide->GetNowPlaying(rows, false), ProgrammeGuide::kNothing);
    EXPECT_EQ(guide->GetUpcoming(rows, false), ProgrammeGuide::kNothing);
  }
  EXPECT_FALSE(guide->downloadRunning());
  // Other days are not affected.
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_FALSE(window.WaitFor(2, 1500ms));
  EXPECT_EQ(server.connections(), 1);

  // The viewer chooses the list: asked anew, and the window's wait then
  // downloads it once more.
  EXPECT_EQ(guide->GetNowPlaying(rows, true), ProgrammeGuide::kNotLoaded);
  EXPECT_EQ(guide->GetDayState(0), DayState::NotLoaded);
  EXPECT_TRUE(guide->statusText().empty());
  EXPECT_EQ(guide->GetNowPlaying(rows, false), ProgrammeGuide::kDownloadStarted);
  ASSERT_TRUE(window.WaitFor(2));
  ASSERT_TRUE(eventually([&] { return !guide->downloadRunning(); }));
  EXPECT_EQ(server.connections(), 2);
  EXPECT_EQ(guide->GetDayState(0), DayState::TooLarge);
}

}  // namespace
}  // namespace tembra
