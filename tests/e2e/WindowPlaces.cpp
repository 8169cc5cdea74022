#include "e2e/WindowPlaces.h"

#include <cstdlib>

#include "mainwnd/MainLayout.h"
#include "mainwnd/WindowState.h"

namespace tembra::test {

namespace {

MainLayout layoutOf(const PixelRect& window) {
  return MainLayout::compute(window.width(), window.height(), WindowState{}, 1, 0);
}

PixelRect clipped(const PixelRect& r, const QImage& image) {
  return PixelRect{std::max(0, r.left), std::max(0, r.top), std::min(image.width(), r.right),
                   std::min(image.height(), r.bottom)};
}

bool near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The panel's background, the rows' and the waiting panel's.
// Every list item is at most rowHeightLimit high.
constexpr int kRowHeight = WindowState{}.rowHeightLimit;
constexpr QRgb kRowA = 0x1b2029, kRowB = 0x1e2430, kRowHot = 0x242b36, kRowSelected = 0x26436e;

}  // namespace

WindowPlaces::WindowPlaces(const PixelRect& window) : window_(window) {}

PixelRect WindowPlaces::fromWindow(const PixelRect& r) const {
  return PixelRect{window_.left + r.left, window_.top + r.top, window_.left + r.right, window_.top + r.bottom};
}

Point WindowPlaces::fromWindow(int x, int y) const { return {window_.left + x, window_.top + y}; }

PixelRect WindowPlaces::video() const { return fromWindow(layoutOf(window_).player()); }
PixelRect WindowPlaces::channelList() const { return fromWindow(*layoutOf(window_).rectOf("channellist")); }
PixelRect WindowPlaces::guideList() const { return fromWindow(*layoutOf(window_).rectOf("playinglist")); }
PixelRect WindowPlaces::dayList() const { return fromWindow(*layoutOf(window_).rectOf("firstdaylist")); }
PixelRect WindowPlaces::adPane() const { return fromWindow(*layoutOf(window_).rectOf("iewnd")); }

// The caption's last button: 30 wide, 4 in from the right edge.
Point WindowPlaces::closeButton() const { return fromWindow(window_.width() - 19, 12); }

Point WindowPlaces::channelRow(int index) const {
  const PixelRect list = *layoutOf(window_).rectOf("channellist");
  return fromWindow((list.left + list.right) / 2, list.top + kRowHeight * index + kRowHeight / 2);
}

Point WindowPlaces::guideRow(int index) const {
  const PixelRect list = *layoutOf(window_).rectOf("playinglist");
  // The list's top padding is 4.
  return fromWindow((list.left + list.right) / 2, list.top + 4 + kRowHeight * index + kRowHeight / 2);
}

PixelRect WindowPlaces::listWaitingPanel() const { return fromWindow(layoutOf(window_).listIndicator().listload); }

PixelRect WindowPlaces::guideWaitingPanel() const {
  const MainLayout layout = layoutOf(window_);
  const auto& guide = layout.guideIndicator();
  return guide ? fromWindow(guide->noticeload) : PixelRect{};
}

// The retry buttons sit at (14, 68)-(86, 91) of their 100 x 99 panels.
Point WindowPlaces::listRetryButton() const {
  const PixelRect box = listWaitingPanel();
  return {box.left + 50, box.top + 79};
}

Point WindowPlaces::guideRetryButton() const {
  const PixelRect box = guideWaitingPanel();
  return {box.left + 50, box.top + 79};
}

// The panel row under the caption: inset 6, the 100 wide group selector, a
// gap of 7, then the two 111 wide page options; the day options are 68
// wide, 4 apart, 6 in from the guide's left edge and 34 below its top.
Point WindowPlaces::nowPlayingOption() const {
  const int x0 = layoutOf(window_).rectOf("infolayout")->left;
  return fromWindow(x0 + 6 + 100 + 7 + 55, 25 + 15);
}

Point WindowPlaces::upNextOption() const {
  const int x0 = layoutOf(window_).rectOf("infolayout")->left;
  return fromWindow(x0 + 6 + 100 + 7 + 111 + 55, 25 + 15);
}

Point WindowPlaces::dayOption(int day) const {
  const PixelRect guide = *layoutOf(window_).rectOf("guidetab");
  return fromWindow(guide.left + 6 + day * 72 + 34, guide.top + 34 + 15);
}

double colourShare(const QImage& image, const PixelRect& rect, std::initializer_list<QRgb> colours,
                   int tolerance) {
  const PixelRect r = clipped(rect, image);
  if (r.width() <= 0 || r.height() <= 0) return 0;
  long hits = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = r.left; x < r.right; ++x) {
      for (QRgb c : colours) {
        if (near(line[x], c, tolerance)) {
          ++hits;
          break;
        }
      }
    }
  }
  return static_cast<double>(hits) / (static_cast<double>(r.width()) * r.height());
}

double changedShare(const QImage& a, const QImage& b, const PixelRect& rect, int threshold) {
  if (a.size() != b.size()) return 1;
  const PixelRect r = clipped(rect, a);
  if (r.width() <= 0 || r.height() <= 0) return 0;
  long changed = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = r.left; x < r.right; ++x) changed += !near(la[x], lb[x], threshold);
  }
  return static_cast<double>(changed) / (static_cast<double>(r.width()) * r.height());
}

bool pictureShown(const QImage& screen, const PixelRect& rect) {
  return 1.0 - colourShare(screen, rect, {0x000000}, 24) > 0.4;
}

bool channelRowsShown(const QImage& screen, const WindowPlaces& places) {
  return colourShare(screen, places.channelList(), {kRowA, kRowB, kRowHot, kRowSelected}) > 0.6;
}

bool guideRowsShown(const QImage& screen, const PixelRect& list) {
  const PixelRect strip{list.left + 2, list.top + 4, list.left + 12, list.bottom};
  return colourShare(screen, strip, {kRowA}) > 0.3;
}

bool waitingPanelShown(const QImage& screen, const PixelRect& panel) {
  // The panel's inside below its button, away from the label and the
  // loading picture.
  const PixelRect inside{panel.left + 4, panel.top + 92, panel.right - 4, panel.top + 96};
  return colourShare(screen, inside, {kRowA}) > 0.8;
}

}  // namespace tembra::test
