// A viewer who zaps through many channels and then closes: every switch
// keeps the window answering (a switch once could hang it for good, the
// player waiting on the thread that draws its video), and the close ends
// the program within its bounded time.
#include <chrono>
#include <iostream>
#include <thread>

#include "e2e/CollectorRecords.h"
#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

constexpr int kSwitches = 30;

TEST_F(EndToEnd, ZappingThenClosingEndsPromptly) {
  ASSERT_TRUE(startListing());
  const std::string window = mainWindow();
  const WindowPlaces at = places();
  ASSERT_TRUE(doubleClick(at.channelRow(0)));
  ASSERT_TRUE(waitForPicture("playing", at.video(), 20000));
  // Keys go to the video once it was clicked.
  ASSERT_TRUE(clickVideo(at));
  for (int i = 0; i < kSwitches; ++i) {
    ASSERT_TRUE(x().key(window, i % 3 == 2 ? "Prior" : "Next"));
    std::this_thread::sleep_for(i % 4 == 0 ? 1500ms : 400ms);
  }
  std::this_thread::sleep_for(2s);
  EXPECT_TRUE(waitForPicture("still-playing", at.video(), 20000))
      << "a channel plays after the switches";
  checkEventLoop("while zapping");

  const auto closeStarted = std::chrono::steady_clock::now();
  ASSERT_NO_FATAL_FAILURE(closeBySigterm());
  const long took = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closeStarted).count());
  std::cout << "close after " << kSwitches << " switches took " << took << " ms\n";
  RecordProperty("close_ms", std::to_string(took));
  // The collector is on loopback: the upload wait is short; the rest of
  // the close aims at half a second.
  EXPECT_LT(took, 5000 * kSlowdown);
  EXPECT_EQ(eventCode(records().back()), kClose);
  EXPECT_GE(countCode(records(), kWatched), kSwitches / 2) << joinCodes(records());
}

}  // namespace
}  // namespace tembra::test
