// With nothing playing, the program and the web engine's processes leave
// the CPU alone: the idle page keeps still once its few beats are over,
// and nothing else redraws by itself. Measured over the whole process
// tree from /proc, with the window shown and with it taken off the screen.
#include <chrono>
#include <iostream>
#include <thread>

#include "e2e/EndToEnd.h"
#include "e2e/ProcessTreeCpu.h"

namespace tembra::test {
namespace {

using namespace std::chrono_literals;

// The figures aimed at are 2 % shown and under 1 % hidden; these bounds
// only catch a page or a timer that keeps drawing (an endless animation
// costs most of a core under the software renderer here).
constexpr double kShownLimit = 10.0;
constexpr double kHiddenLimit = 5.0;
// The player, the logo page and the ad pane come after the first frame,
// and the page's beats take some seconds.
constexpr auto kSettle = 10s;
constexpr auto kShownSpan = 20s;
constexpr auto kHiddenSpan = 15s;

double measure(ProcessTreeCpu& cpu, std::chrono::seconds span, const char* what) {
  cpu.start();
  std::this_thread::sleep_for(span);
  const double percent = cpu.percentSinceStart();
  std::cout << "idle CPU " << what << ": " << percent << " % of one core over " << span.count() << " s ("
            << cpu.processes() << " processes)\n";
  return percent;
}

TEST_F(EndToEnd, NothingPlayingLeavesTheCpuAlone) {
  // The event-loop probe's own ticks would be much of what is measured.
  ASSERT_TRUE(startListing({{"TEMBRA_LOOP_PROBE", ""}}));
  const std::string window = mainWindow();
  const WindowPlaces at = places();
  std::this_thread::sleep_for(kSettle);

  // The idle page is there, with its look: the dark page and the blue
  // play mark in the video area.
  const QImage page = shot("idle-page");
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(colourShare(page, at.video(), {qRgb(0x3d, 0x8b, 0xfd)}, 24), 0.001) << "the play mark";
  EXPECT_GT(colourShare(page, at.video(), {qRgb(0x10, 0x13, 0x18), qRgb(0x13, 0x18, 0x21)}, 14), 0.3)
      << "the page's dark background";

  ProcessTreeCpu cpu(player().pid());
  const double shown = measure(cpu, kShownSpan, "with the window shown");
  RecordProperty("idle_cpu_shown_percent", std::to_string(shown));
  EXPECT_LE(shown, kShownLimit * kSlowdown);

  ASSERT_TRUE(x().unmap(window));
  std::this_thread::sleep_for(2s);
  const double hidden = measure(cpu, kHiddenSpan, "with the window unmapped");
  RecordProperty("idle_cpu_hidden_percent", std::to_string(hidden));
  EXPECT_LE(hidden, kHiddenLimit * kSlowdown);

  ASSERT_TRUE(x().map(window));
  EXPECT_TRUE(player().running());
  closeBySigterm();
}

}  // namespace
}  // namespace tembra::test
