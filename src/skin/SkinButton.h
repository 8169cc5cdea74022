#pragma once
#include "skin/SkinControl.h"

namespace tembra {

// A push button: normal / hot / pushed / disabled images (each drawn as a
// nine-patch with the control's corner) or colours, a fore image drawn
// centred at its own size, and a text. A left click released over it sends
// "click".
class SkinButton : public SkinControl {
  Q_OBJECT

 public:
  SkinButton(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  bool isHot() const { return hot_; }
  bool isPushed() const { return pushed_; }
  // What a user's click does: "click" for a button.
  virtual void activate();

 protected:
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void paintContent(QPainter& p) override;
  QColor currentBkColor() const override;
  virtual QString stateImage() const;
  virtual QColor stateTextColor() const;

  QString normalImage_, hotImage_, pushedImage_, disabledImage_, foreImage_;
  QColor hotBk_, pushedBk_, hotText_, pushedText_;
  bool hot_ = false;
  bool pushed_ = false;
};

}  // namespace tembra
