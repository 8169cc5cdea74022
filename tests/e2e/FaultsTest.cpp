// The program under each fault the demo service can bring: the window
// shows in its normal time, shows the right waiting state, recovers once
// the fault is lifted, loses no statistics record, and its event loop
// never stalls (the worst delay of each fault is printed).
#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

enum class Waiting { ChannelCountdown, GuideWait, Nothing };

struct FaultCase {
  const char* name;
  std::vector<std::string> switches;  // of the demo service
  Waiting waiting;
  const char* lift;  // the /demo/faults form that ends the fault
};

std::ostream& operator<<(std::ostream& o, const FaultCase& c) { return o << c.name; }

class UnderFault : public EndToEnd, public ::testing::WithParamInterface<FaultCase> {
 protected:
  // Screenshots until the state holds, pressing retry every few seconds
  // (a count-down or a guide wait may still run a request of the fault).
  bool recover(const std::string& name, const std::function<bool(const QImage&)>& done, const Point& retry,
               int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      click(retry);
      if (waitForScreen(name, done, 4000)) return true;
    }
    return false;
  }
};

TEST_P(UnderFault, ShowsWaitsRecoversAndKeepsEveryRecord) {
  const FaultCase& c = GetParam();
  std::cout << "fault: " << c.name << "\n";
  ASSERT_TRUE(startDemo(c.switches));
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  std::cout << "window under " << c.name << " shown after " << shownAfterMs() << " ms\n";
  const WindowPlaces at = places();

  switch (c.waiting) {
    case Waiting::ChannelCountdown:
      EXPECT_TRUE(waitForScreen("waiting",
                                [&](const QImage& s) {
                                  return waitingPanelShown(s, at.listWaitingPanel()) && !channelRowsShown(s, at);
                                },
                                15000))
          << "the channel list's count-down panel";
      break;
    case Waiting::GuideWait:
      EXPECT_TRUE(waitForScreen("waiting",
                                [&](const QImage& s) {
                                  return channelRowsShown(s, at) && waitingPanelShown(s, at.guideWaitingPanel()) &&
                                         !guideRowsShown(s, at.guideList());
                                },
                                15000))
          << "channels, and the guide's waiting panel over the now-playing list";
      break;
    case Waiting::Nothing:
      EXPECT_TRUE(waitForChannelRows("waiting", at, 15000));
      break;
  }

  ASSERT_TRUE(setFaults(c.lift));
  switch (c.waiting) {
    case Waiting::ChannelCountdown:
      EXPECT_TRUE(recover("recovered", [&](const QImage& s) { return channelRowsShown(s, at); },
                          at.listRetryButton(), 30000))
          << "the channels after the fault";
      break;
    case Waiting::GuideWait:
      EXPECT_TRUE(recover("recovered", [&](const QImage& s) { return guideRowsShown(s, at.guideList()); },
                          at.guideRetryButton(), 40000))
          << "the guide after the fault";
      break;
    case Waiting::Nothing:
      break;
  }

  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  std::this_thread::sleep_for(2s);
  checkEventLoop(std::string("under ") + c.name);
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  expectOneRun(records(), 1, c.waiting != Waiting::ChannelCountdown);
}

const FaultCase kFaults[] = {
    {"refuse-signin", {"--refuse-signin"}, Waiting::ChannelCountdown, "refuse-signin=0"},
    {"empty-catalogue", {"--empty-catalogue"}, Waiting::ChannelCountdown, "empty-catalogue=0"},
    {"catalogue-500", {"--catalogue-500"}, Waiting::ChannelCountdown, "catalogue-500=0"},
    {"guide-500", {"--guide-500"}, Waiting::GuideWait, "guide-500=0"},
    {"hang-guide", {"--hang-guide", "--hang-seconds", "20"}, Waiting::GuideWait, "hang-guide=0"},
    {"guide-malformed", {"--guide-malformed"}, Waiting::GuideWait, "guide-malformed=0"},
};

INSTANTIATE_TEST_SUITE_P(Demo, UnderFault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (auto& ch : n)
                             if (ch == '-') ch = '_';
                           return n;
                         });

// The ad packages trickle in: the window and the channels do not wait for
// them, and the ad arrives in the end.
TEST_F(EndToEnd, SlowAdPackageArrivesWithoutHoldingTheWindow) {
  ASSERT_TRUE(startDemo({"--slow-ads", "--slow-rate", "1024"}));
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  std::cout << "window under slow-ads shown after " << shownAfterMs() << " ms\n";
  const WindowPlaces at = places();
  EXPECT_TRUE(waitForChannelRows("channels", at, 15000));
  EXPECT_FALSE(fs::exists(programFile("Advertise/Fix/index.html"))) << "the package is still on its way";
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!fs::exists(programFile("Advertise/Fix/index.html")) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(250ms);
  EXPECT_TRUE(fs::exists(programFile("Advertise/Fix/index.html"))) << "the right pane's package, unpacked";
  std::this_thread::sleep_for(1s);
  shot("ad-arrived");
  checkEventLoop("under slow-ads");
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  expectOneRun(records(), 1, true);
}

// The collector answers 500 and keeps nothing: the records wait in the
// program and all arrive, once each, when the collector is back.
TEST_F(EndToEnd, CollectorAnswering500LosesNoRecord) {
  ASSERT_TRUE(startDemo({"--stats-500"}));
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  const WindowPlaces at = places();
  EXPECT_TRUE(waitForChannelRows("channels", at, 15000));
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  std::this_thread::sleep_for(3s);
  EXPECT_TRUE(records().empty()) << joinCodes(records());
  ASSERT_TRUE(setFaults("stats-500=0"));
  checkEventLoop("under stats-500");
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  expectOneRun(records(), 1, true);
  EXPECT_FALSE(fs::exists(stateFile("bi.dat")));
}

// The whole service is down when the program starts and comes back on the
// same port: count-down, then the channels, and every record delivered.
TEST_F(EndToEnd, ServiceDownAtStartAndComingBack) {
  ASSERT_TRUE(startDemo());
  stopDemo();
  startPlayer();
  ASSERT_FALSE(waitForMainWindow().empty());
  std::cout << "window with the service down shown after " << shownAfterMs() << " ms\n";
  const WindowPlaces at = places();
  EXPECT_TRUE(waitForScreen("waiting",
                            [&](const QImage& s) {
                              return waitingPanelShown(s, at.listWaitingPanel()) && !channelRowsShown(s, at);
                            },
                            15000));
  ASSERT_TRUE(restartDemo());
  bool back = false;
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!back && std::chrono::steady_clock::now() < deadline) {
    click(at.listRetryButton());
    back = waitForChannelRows("back", at, 4000);
  }
  EXPECT_TRUE(back) << "the channels once the service is back";
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  std::this_thread::sleep_for(2s);
  checkEventLoop("with the service down and back");
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  expectOneRun(records(), 1, false);
}

}  // namespace
}  // namespace tembra::test
