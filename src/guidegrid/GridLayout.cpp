#include "guidegrid/GridLayout.h"

#include <algorithm>

namespace tembra {

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

GridLayout::GridLayout(const GridMetrics& metrics, int width, int height)
    : m_(metrics), width_(std::max(0, width)), height_(std::max(0, height)) {
  m_.halfHourWidth = std::max(1, m_.halfHourWidth);
  m_.rowHeight = std::max(1, m_.rowHeight);
}

int GridLayout::timeWidth() const { return std::max(0, width_ - m_.channelWidth); }

int GridLayout::rowsHeight() const { return std::max(0, height_ - m_.headerHeight); }

int64_t GridLayout::viewSpan() const { return int64_t{timeWidth()} * kHalfHour / m_.halfHourWidth; }

int GridLayout::pageRows() const { return std::max(1, rowsHeight() / m_.rowHeight); }

int GridLayout::xOf(int64_t t, int64_t viewStart) const {
  const int64_t offset = floorDiv((t - viewStart) * m_.halfHourWidth, kHalfHour);
  // Far-away moments stay far away without overflowing an int.
  return timeLeft() + static_cast<int>(std::clamp<int64_t>(offset, -(int64_t{1} << 28), int64_t{1} << 28));
}

// The first moment drawn at x, so that xOf(timeAt(x)) is x again.
int64_t GridLayout::timeAt(int x, int64_t viewStart) const {
  return viewStart - floorDiv(-int64_t{x - timeLeft()} * kHalfHour, m_.halfHourWidth);
}

std::optional<GridBlock> GridLayout::block(int64_t start, int64_t stop, int64_t viewStart) const {
  if (stop <= start) return std::nullopt;
  const int left = xOf(start, viewStart);
  const int right = xOf(stop, viewStart);
  GridBlock b;
  b.left = std::max(left, timeLeft());
  b.right = std::min(right, width_);
  if (b.right <= b.left) return std::nullopt;
  b.clippedLeft = left < timeLeft();
  b.clippedRight = right > width_;
  return b;
}

GridRows GridLayout::rows(int scrollY, int rowCount) const {
  GridRows r;
  if (rowCount <= 0 || rowsHeight() == 0) return r;
  scrollY = std::clamp(scrollY, 0, maxScrollY(rowCount));
  r.first = std::min(rowCount, scrollY / m_.rowHeight);
  r.firstTop = rowsTop() + r.first * m_.rowHeight - scrollY;
  // A row cut by the bottom edge is left out (its title would be cut too);
  // the rest of the area stays empty until a scroll brings it up whole.
  const int bottom = scrollY + rowsHeight();
  r.last = std::min(rowCount, std::max(r.first + 1, bottom / m_.rowHeight));
  return r;
}

int GridLayout::rowTop(int row, int scrollY) const { return rowsTop() + row * m_.rowHeight - scrollY; }

int GridLayout::rowAt(int y, int scrollY, int rowCount) const {
  if (y < rowsTop() || y >= height_) return -1;
  const int row = (y - rowsTop() + scrollY) / m_.rowHeight;
  return row >= 0 && row < rowCount ? row : -1;
}

int GridLayout::maxScrollY(int rowCount) const { return std::max(0, (rowCount - pageRows()) * m_.rowHeight); }

int GridLayout::revealRow(int row, int scrollY, int rowCount) const {
  const int top = row * m_.rowHeight;
  const int shown = pageRows() * m_.rowHeight;
  if (top < scrollY) scrollY = top;
  else if (top + m_.rowHeight > scrollY + shown) scrollY = top + m_.rowHeight - shown;
  return std::clamp(scrollY, 0, maxScrollY(rowCount));
}

int GridLayout::snapScrollY(int scrollY, int rowCount) const {
  const int snapped = (scrollY + m_.rowHeight / 2) / m_.rowHeight * m_.rowHeight;
  return std::clamp(snapped, 0, maxScrollY(rowCount));
}

int64_t GridLayout::halfHourFloor(int64_t t, int64_t utcOffset) {
  return floorDiv(t + utcOffset, kHalfHour) * kHalfHour - utcOffset;
}

std::vector<GridTick> GridLayout::ticks(int64_t viewStart, int64_t utcOffset) const {
  std::vector<GridTick> out;
  const int64_t end = viewStart + viewSpan();
  for (int64_t t = halfHourFloor(viewStart, utcOffset); t <= end; t += kHalfHour) out.push_back({t, xOf(t, viewStart)});
  return out;
}

}  // namespace tembra
