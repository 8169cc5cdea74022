#pragma once

namespace tembra {

// The group selector's drop-down: one row per group, at most four rows
// high (more groups scroll).
class DropDownHeight {
 public:
  static constexpr int kMaxRows = 4;
  static int For(int items, int rowHeight);
};

}  // namespace tembra
