#include "mainwnd/DropDownHeight.h"

#include <algorithm>

namespace tembra {

int DropDownHeight::For(int items, int rowHeight) {
  return std::clamp(items, 0, kMaxRows) * std::max(0, rowHeight);
}

}  // namespace tembra
