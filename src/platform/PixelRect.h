#pragma once

namespace tembra {

// A rectangle in pixels: left, top, right, bottom, with right and bottom
// exclusive, so the width is right - left. The skin also keeps insets in it
// (each field then a distance from its side).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  // All four zero (an unset attribute), not merely no area.
  bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  static PixelRect at(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

}  // namespace tembra
