#pragma once
#include <QRect>

#include "platform/PixelRect.h"

class QWidget;

namespace tembra {

class CWindowWnd;
class SkinControl;

// Between the window's pixel rules (PixelRect, client pixels of the skin
// window) and the widgets the panels move.
class PanelPlacement {
 public:
  static PixelRect toPixel(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
  static QRect toQRect(const PixelRect& r) { return {r.left, r.top, r.width(), r.height()}; }

  // The control's rectangle in client pixels; an empty one without a control.
  static PixelRect rectOf(const SkinControl* control);
  // Places a skin control at a client rectangle and brings it to the front.
  static void place(SkinControl* control, const PixelRect& clientRect);
  // Places any widget of the window (a loading picture, whatever its
  // parent) at a client rectangle of the skin window and brings it to the
  // front.
  static void place(QWidget* widget, const CWindowWnd& skin, const PixelRect& clientRect);
};

}  // namespace tembra
