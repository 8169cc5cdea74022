// With a channel playing, the window's big changes keep the event loop
// moving: entering and leaving full screen, resizing in steps and at once,
// maximising and restoring. Each case's figure is the worst delay of the
// probe's stretches that follow it (the program's own share, less the
// waits for a CPU that other processes took).
#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <thread>
#include <vector>

#include "e2e/EndToEnd.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

class Stalls : public EndToEnd {
 protected:
  // Starts the program and plays the first channel until its picture shows.
  void playFirstChannel() {
    ASSERT_TRUE(startDemo());
    startPlayer();
    window_ = waitForMainWindow();
    ASSERT_FALSE(window_.empty());
    const WindowPlaces at = places();
    ASSERT_TRUE(waitForScreen("start", [&](const QImage& s) { return channelRowsShown(s, at); }, 15000));
    ASSERT_TRUE(doubleClick(at.channelRow(0)));
    ASSERT_TRUE(waitForScreen("playing", [&](const QImage& s) { return pictureShown(s, at.video()); }, 20000))
        << "the channel plays";
    // The first channel's start (decoder, render contexts) is not a case.
    std::this_thread::sleep_for(2s);
  }

  // The worst own delay from just before action until the probe has
  // written twice after it (each write covers the second before it).
  long worstAround(const std::function<void()>& action) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5 * kSlowdown);
    PlayerProcess::Probe before = player().probe();
    while (!before.written && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
      before = player().probe();
    }
    EXPECT_TRUE(before.written) << "the probe writes its figures";
    action();
    long worst = -1, seen = before.writes;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10 * kSlowdown);
    while (seen < before.writes + 2 && std::chrono::steady_clock::now() < until && player().running()) {
      std::this_thread::sleep_for(100ms);
      const PlayerProcess::Probe now = player().probe();
      if (now.writes > seen) {
        worst = std::max(worst, now.recentOwnMs);
        seen = now.writes;
      }
    }
    EXPECT_GE(seen, before.writes + 2) << "the probe went on writing";
    return worst;
  }

  void check(const std::string& what, const std::function<void()>& action) {
    const long limitMs = kLoopLimitMs;
    const long worst = worstAround(action);
    std::cout << "worst event-loop delay on " << what << ": " << worst << " ms (limit " << limitMs << " ms)\n";
    RecordProperty("worst_loop_delay_ms " + what, std::to_string(worst));
    EXPECT_GE(worst, 0) << what;
    EXPECT_LE(worst, limitMs) << what;
  }

  std::string window_;
};

TEST_F(Stalls, FullScreenResizeAndMaximiseWhilePlaying) {
  ASSERT_NO_FATAL_FAILURE(playFirstChannel());
  const WindowPlaces at = places();
  const Point video{(at.video().left + at.video().right) / 2, (at.video().top + at.video().bottom) / 2};

  // For comparison: the delays of playing alone (the pictures are drawn on
  // a thread of their own; the window's thread only shows them).
  check("nothing but playing", [] {});
  check("entering full screen", [&] { ASSERT_TRUE(doubleClick(video)); });
  const QImage full = shot("full-screen");
  EXPECT_TRUE(pictureShown(full, PixelRect{0, 0, XSession::kWidth, XSession::kHeight}))
      << "the picture covers the screen";
  // The web pages are windows of their own inside the window: none may
  // show over the picture.
  EXPECT_EQ(x().shownChildren(window_), std::vector<std::string>{}) << "a page shows over the full-screen picture";
  check("leaving full screen", [&] { ASSERT_TRUE(doubleClick({XSession::kWidth / 2, XSession::kHeight / 2})); });
  shot("full-screen-left");
  EXPECT_EQ(x().geometry(window_).width(), 936) << "the window is as it was";
  EXPECT_TRUE(waitForScreen("ad-pane-back", [&](const QImage&) { return !x().shownChildren(window_).empty(); }, 3000))
      << "the ad pane's page shows again beside the picture";

  check("a resize in steps", [&] {
    for (int step = 1; step <= 8; ++step) {
      ASSERT_TRUE(x().resize(window_, 936 + step * 24, 529 + step * 16));
      std::this_thread::sleep_for(120ms);
    }
  });
  check("one large resize", [&] { ASSERT_TRUE(x().resize(window_, 1240, 760)); });
  shot("resized");
  check("resizing back", [&] { ASSERT_TRUE(x().resize(window_, 936, 529)); });

  const Point maximise{at.window().right - 49, at.window().top + 12};
  check("maximising", [&] { ASSERT_TRUE(click(maximise)); });
  shot("maximised");
  EXPECT_GT(x().geometry(window_).width(), 936) << "maximised";
  check("restoring", [&] { ASSERT_TRUE(click({XSession::kWidth - 49, 12})); });
  shot("restored");
  EXPECT_EQ(x().geometry(window_).width(), 936) << "restored";
  EXPECT_TRUE(player().running());
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
