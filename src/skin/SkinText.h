#pragma once
#include "skin/SkinLabel.h"

namespace tembra {

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
