#pragma once

namespace tembra {

// The group selector's drop-down: one row per group, as many as fit in the
// room given (the screen's height), at least one row; more groups scroll.
class DropDownHeight {
 public:
  static int For(int items, int rowHeight, int room);
};

}  // namespace tembra
