// The guide grid's frame time while it scrolls across 10,000 channels x 3
// days (offscreen, made-up programmes), against the same scroll of an empty
// grid in the same run: the same channels with a guide that holds nothing,
// so the baseline draws the channel column, header and rows and the
// difference is the programmes. Each frame moves the view a screen of
// rows down and 1/600 of the days across, so nearly every frame reads rows
// it has not read before. Prints the worst and median frame of both, then
// "ratio grid_scroll_vs_empty VALUE goal 3" (medians); the worst frame's
// own goal is 16 ms. The same scroll over 100,000 channels x 7 days and
// over 10 channels is printed beside them.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "guidegrid/FakeGuide.h"
#include "guidegrid/GridModel.h"
#include "guidegrid/GuideGridWidget.h"

namespace {

using namespace tembra;

constexpr int64_t kMidnight = 1796774400;
constexpr int kFrames = 600;
constexpr int kWarmFrames = 60;
constexpr int kChannels = 10000;

struct Figures {
  double worstMs = 0;
  double medianMs = 0;
};

Figures scroll(GuideGridWidget& grid, QImage& target, int frames) {
  grid.setViewStart(kMidnight);
  grid.setScrollY(0);
  const GridLayout layout = grid.layout();
  const int rows = grid.model() != nullptr ? static_cast<int>(grid.model()->rowCount()) : 0;
  const int dy = std::max(1, layout.maxScrollY(std::max(rows, kChannels)) / frames);
  const int dx = static_cast<int>((3 * 86400 - layout.viewSpan()) / frames * layout.metrics().halfHourWidth / 1800);
  std::vector<double> times;
  times.reserve(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    grid.scrollByPixels(dx, dy);
    grid.render(&target);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times.back(), times[times.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  test::FakeGuide guide(kMidnight);
  GridModel full(&guide, test::FakeGuide::channels(kChannels));
  test::FakeGuide nothing(kMidnight);
  for (int i = 0; i < kChannels; ++i) nothing.empty.insert(i);
  GridModel empty(&nothing, test::FakeGuide::channels(kChannels));

  GuideGridWidget grid;
  grid.setClock([] { return kMidnight + 36000; });
  grid.resize(1280, 720);
  QImage target(grid.size(), QImage::Format_ARGB32_Premultiplied);

  grid.setModel(&empty);
  scroll(grid, target, kWarmFrames);
  const Figures bare = scroll(grid, target, kFrames);
  grid.setModel(&full);
  scroll(grid, target, kWarmFrames);
  const Figures filled = scroll(grid, target, kFrames);

  // Virtualised both ways: the frame does not grow with the guide.
  test::FakeGuide week(kMidnight, 7);
  GridModel huge(&week, test::FakeGuide::channels(100000));
  grid.setModel(&huge);
  scroll(grid, target, kWarmFrames);
  const Figures hundredThousand = scroll(grid, target, kFrames);
  GridModel ten(&guide, test::FakeGuide::channels(10));
  grid.setModel(&ten);
  scroll(grid, target, kWarmFrames);
  const Figures tenChannels = scroll(grid, target, kFrames);

  std::printf("grid_scroll_10x3 worst_ms %.3f median_ms %.3f\n", tenChannels.worstMs, tenChannels.medianMs);
  std::printf("grid_scroll_100000x7 worst_ms %.3f median_ms %.3f\n", hundredThousand.worstMs, hundredThousand.medianMs);
  std::printf("grid_scroll_empty worst_ms %.3f median_ms %.3f\n", bare.worstMs, bare.medianMs);
  std::printf("grid_scroll_10000x3 worst_ms %.3f median_ms %.3f (goal worst <= 16) reads %d cached_days %zu\n",
              filled.worstMs, filled.medianMs, guide.reads, full.cachedDays());
  std::printf("ratio grid_scroll_vs_empty %.2f goal 3\n", filled.medianMs / std::max(bare.medianMs, 1e-6));
  return 0;
}
