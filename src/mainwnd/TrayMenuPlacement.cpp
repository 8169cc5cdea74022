#include "mainwnd/TrayMenuPlacement.h"

#include <algorithm>

namespace tembra {

namespace {

// One axis: before the cursor if it fits, else after it, then inside
// [low, high) where the area allows.
int place(int cursor, int extent, int low, int high) {
  int start = cursor - extent;
  if (start < low) start = cursor;
  if (start + extent > high) start = high - extent;
  return std::max(start, low);
}

}  // namespace

QPoint TrayMenuPlacement::topLeft(const QPoint& cursor, const QSize& menu, const QRect& area) {
  if (area.isEmpty()) return cursor - QPoint(menu.width(), menu.height());
  return QPoint(place(cursor.x(), menu.width(), area.left(), area.left() + area.width()),
                place(cursor.y(), menu.height(), area.top(), area.top() + area.height()));
}

}  // namespace tembra
