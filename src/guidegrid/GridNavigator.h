#pragma once
#include <cstdint>
#include <vector>

namespace tembra {

// A programme's time span, UTC seconds.
struct GridSpan {
  int64_t start = 0;
  int64_t stop = 0;
};

// Where the grid's keys lead: along a row to the programme before or after,
// and across rows to the programme on at the moment the selection stands
// for (its anchor), so a walk down the channels stays at the same time.
class GridNavigator {
 public:
  // The programme of row (by start) on at t; in a gap, the nearest one; -1
  // for an empty row.
  static int onAt(const std::vector<GridSpan>& row, int64_t t);
  // The programme dir (-1, +1) places along from current; current itself
  // at either end.
  static int along(const std::vector<GridSpan>& row, int current, int dir);
  // The moment a selected programme stands for: its start, or the view's
  // left edge when it began before it.
  static int64_t anchorOf(const GridSpan& p, int64_t viewStart);
  // The view start that shows enough of p to read (all of a short one, a
  // third of the view of a long one), moving the view as little as it can;
  // viewStart when that much is in sight already.
  static int64_t reveal(const GridSpan& p, int64_t viewStart, int64_t span);
  // The row dir rows from current (a page with dir = +/- pageRows), kept
  // within [0, rowCount).
  static int rowFrom(int current, int dir, int rowCount);
};

}  // namespace tembra
