#include "guidegrid/GridNavigator.h"

#include <algorithm>

namespace tembra {

int GridNavigator::onAt(const std::vector<GridSpan>& row, int64_t t) {
  if (row.empty()) return -1;
  // The last programme starting at or before t.
  auto after = std::upper_bound(row.begin(), row.end(), t, [](int64_t v, const GridSpan& s) { return v < s.start; });
  if (after == row.begin()) return 0;
  const int before = static_cast<int>(after - row.begin()) - 1;
  if (t < row[before].stop || after == row.end()) return before;
  // A gap: the nearer of its two sides.
  return t - row[before].stop < after->start - t ? before : before + 1;
}

int GridNavigator::along(const std::vector<GridSpan>& row, int current, int dir) {
  if (row.empty()) return -1;
  if (current < 0 || current >= static_cast<int>(row.size())) return 0;
  return std::clamp(current + dir, 0, static_cast<int>(row.size()) - 1);
}

int64_t GridNavigator::anchorOf(const GridSpan& p, int64_t viewStart) {
  if (p.start >= viewStart || p.stop <= viewStart) return p.start;
  return viewStart;
}

int64_t GridNavigator::reveal(const GridSpan& p, int64_t viewStart, int64_t span) {
  // Enough of it to read: all of a short one, a third of the view of a long one.
  const int64_t need = std::min(p.stop - p.start, span / 3);
  const int64_t shown = std::min(p.stop, viewStart + span) - std::max(p.start, viewStart);
  if (shown >= need) return viewStart;
  if (p.start >= viewStart) return p.start + need - span;
  return p.stop - need;
}

int GridNavigator::rowFrom(int current, int dir, int rowCount) {
  if (rowCount <= 0) return -1;
  const int64_t target = int64_t{std::max(current, 0)} + dir;
  return static_cast<int>(std::clamp<int64_t>(target, 0, rowCount - 1));
}

}  // namespace tembra
