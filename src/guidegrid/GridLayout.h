#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace tembra {

// The grid's fixed sizes, in pixels.
struct GridMetrics {
  int channelWidth = 168;   // the channel column: number, badge, name
  int headerHeight = 28;    // the time header over the programmes
  int rowHeight = 46;
  int halfHourWidth = 140;  // one column
};

// A programme's block across the time area, clipped to it.
struct GridBlock {
  int left = 0;
  int right = 0;  // exclusive
  bool clippedLeft = false;
  bool clippedRight = false;

  bool operator==(const GridBlock&) const = default;
};

// The rows in sight: [first, last), the first one's top at firstTop (above
// the header's bottom when it is partly scrolled away). A row the bottom
// edge would cut is not in sight.
struct GridRows {
  int first = 0;
  int last = 0;
  int firstTop = 0;

  bool operator==(const GridRows&) const = default;
};

// A half-hour mark of the time header.
struct GridTick {
  int64_t time = 0;
  int x = 0;

  bool operator==(const GridTick&) const = default;
};

// Where everything of the grid goes for one size: the channel column on the
// left, the header on top, the time area right of the column, whose left
// edge shows viewStart (UTC seconds) and which a vertical scroll of scrollY
// pixels moves up. Pure arithmetic, so the widget only applies it.
class GridLayout {
 public:
  static constexpr int64_t kHalfHour = 1800;

  GridLayout(const GridMetrics& metrics, int width, int height);

  const GridMetrics& metrics() const { return m_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int timeLeft() const { return m_.channelWidth; }
  int timeWidth() const;
  int rowsTop() const { return m_.headerHeight; }
  int rowsHeight() const;
  // Seconds the time area spans.
  int64_t viewSpan() const;
  // Whole rows that fit the rows area (at least 1): a page.
  int pageRows() const;

  // The x of moment t (may lie outside the area), and the moment at x.
  int xOf(int64_t t, int64_t viewStart) const;
  int64_t timeAt(int x, int64_t viewStart) const;
  // The block of a programme, clipped to the time area; nothing when no
  // pixel of it is in sight.
  std::optional<GridBlock> block(int64_t start, int64_t stop, int64_t viewStart) const;

  GridRows rows(int scrollY, int rowCount) const;
  int rowTop(int row, int scrollY) const;
  // The row under y, or -1 (the header, or below the last row).
  int rowAt(int y, int scrollY, int rowCount) const;
  // The last scroll shows the last page of rows whole.
  int maxScrollY(int rowCount) const;
  // The nearest scroll that starts at a row's top: where a drag comes to rest.
  int snapScrollY(int scrollY, int rowCount) const;
  // The scroll that shows the whole of row, moving as little as it can.
  int revealRow(int row, int scrollY, int rowCount) const;

  // The local half hours in sight (utcOffset: the zone's offset from UTC
  // in seconds at viewStart), with one before the area's left edge so a
  // label that starts there can still be drawn in part.
  std::vector<GridTick> ticks(int64_t viewStart, int64_t utcOffset) const;
  // The local half hour at or before t.
  static int64_t halfHourFloor(int64_t t, int64_t utcOffset);

 private:
  GridMetrics m_;
  int width_;
  int height_;
};

}  // namespace tembra
