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

// A text the user can click ("TextUI"): a link look when hot, "click" on a
// left click.
class SkinText : public SkinLabel {
  Q_OBJECT

 public:
  SkinText(const SkinNode& node, SkinContext& ctx, QWidget* parent);

 protected:
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void paintContent(QPainter& p) override;

 private:
  QColor hotText_;
  bool hot_ = false;
  bool pushed_ = false;
};

}  // namespace tembra
