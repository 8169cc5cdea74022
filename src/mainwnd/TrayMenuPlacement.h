#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tembra {

// Where the tray menu opens: its bottom-right corner at the cursor (the
// menu spans cursor - size up to the cursor), as beside a task bar at the
// bottom right. With no room above or to the left of the cursor (a panel at
// the top or the left), it opens below or to the right of the cursor
// instead; then it is kept inside the screen's available area. An empty
// area leaves the first position as it is.
class TrayMenuPlacement {
 public:
  static QPoint topLeft(const QPoint& cursor, const QSize& menu, const QRect& area);
};

}  // namespace tembra
