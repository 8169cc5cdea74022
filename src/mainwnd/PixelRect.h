#pragma once

namespace tembra {

// A rectangle in window pixels; right and bottom are exclusive, so the
// width is right - left.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  static PixelRect at(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

}  // namespace tembra
