#include "mainwnd/DropDownHeight.h"

#include <algorithm>

namespace tembra {

int DropDownHeight::For(int items, int rowHeight, int room) {
  if (rowHeight <= 0 || items <= 0) return 0;
  const int fit = std::max(1, room / rowHeight);
  return std::min(items, fit) * rowHeight;
}

}  // namespace tembra
