#pragma once
#include <string>

#include "platform/PixelRect.h"

namespace tembra {

// A waiting panel that has a reason to tell ("The playlist could not be
// downloaded: HTTP 404 Not Found.") is laid across the list it covers, tall
// enough for a few lines, instead of the small count-down square.
class StatusPanel {
 public:
  struct Rects {
    PixelRect panel;
    PixelRect label;
    PixelRect button;
  };
  static Rects over(const PixelRect& list);
  // The label's text: the reason, then the count-down line.
  static std::u16string text(const std::u16string& reason, const std::u16string& countdown);
};

}  // namespace tembra
