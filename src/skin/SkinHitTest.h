#pragma once
// Which part of a frameless skin window a point is on: an edge or corner
// that resizes it, the caption that moves it, or the client area. A pure
// function, so the rule is tested without a display; CWindowWnd turns the
// answer into a system move or resize.
#include <string_view>
#include <vector>

#include "skin/SkinValue.h"

namespace tembra {

enum class SkinHit { Client, Caption, Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

struct SkinHitQuery {
  int x = 0;                 // the point, client coordinates
  int y = 0;
  SkinRect client;           // R: the client rectangle (right, bottom exclusive)
  SkinRect sizeBox;          // S: widths of the resizing edges, per side
  SkinRect caption;          // C: left and right as insets from R's sides, top and bottom as y values
  bool maximised = false;    // a maximised window has no resizing edges
  bool resizable = true;     // false for windows without resizing edges (menus, dialogs)
  bool controlFound = false; // a control lies under the point
  std::u16string_view controlClass;  // its class name ("ButtonUI", "LabelUI", ...)
  // Classes that are never caption, even inside the caption area.
  const std::vector<std::u16string_view>* notCaption = nullptr;
};

// Size box first (unless maximised or not resizable): above R.top + S.top
// it is a top edge, below R.bottom - S.bottom a bottom edge, with the
// corners left of R.left + S.left and right of R.right - S.right; between
// them the left and right edges. Then the caption area (x >= R.left +
// C.left, x < R.right - C.right, C.top <= y < C.bottom) on a control whose
// class is not listed is the caption. Everything else is client.
SkinHit skinHitTest(const SkinHitQuery& q);

// The classes the main window keeps clickable in its caption area, and
// those of the tray menu and the dialogs.
const std::vector<std::u16string_view>& mainWindowNotCaption();
const std::vector<std::u16string_view>& dialogNotCaption();

}  // namespace tembra
