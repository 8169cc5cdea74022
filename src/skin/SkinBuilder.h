#pragma once
#include <QWidget>

#include "skin/SkinLayout.h"

namespace tembra {

class SkinContainer;
class SkinContext;

// Turns a layout model into skin controls under a host widget.
class SkinBuilder {
 public:
  // The root control (the layout's Window) with everything in it; the
  // context learns the fonts and default colours of the window.
  static SkinContainer* build(const SkinLayout& layout, SkinContext& ctx, QWidget* host);
};

}  // namespace tembra
