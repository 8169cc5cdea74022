#pragma once
#include "skin/SkinControl.h"

namespace tembra {

// A static text ("LabelUI"), drawn with the look's font, colour, alignment
// and padding, elided at the right unless it wraps.
class SkinLabel : public SkinControl {
  Q_OBJECT

 public:
  SkinLabel(const SkinNode& node, SkinContext& ctx, QWidget* parent) : SkinControl(node, ctx, parent) {}
  // The size the text takes in the control's font (one line).
  QSize textSize() const;
};

}  // namespace tembra
