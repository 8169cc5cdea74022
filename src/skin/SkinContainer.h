#pragma once
// Containers lay out their child controls:
//   Container         every child fills the content rectangle (children with a
//                     fixed width or height keep it, at the top left): overlays
//   VerticalLayout    children top to bottom; fixed heights are kept, the rest
//                     share what is left
//   HorizontalLayout  the same, left to right
// The content rectangle is the control's rectangle less its inset; each child
// keeps its padding around it, and childpadding separates neighbours. Hidden
// and floating children take no room.
#include <QList>

#include "skin/SkinControl.h"

namespace tembra {

class SkinContainer : public SkinControl {
  Q_OBJECT

 public:
  SkinContainer(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  // Lays the children out again (also re-places floating children, whose
  // client positions depend on where this container is now).
  void relayout();
  QMargins inset() const { return inset_; }
  QList<SkinControl*> childControls() const;

 protected:
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
  void showEvent(QShowEvent*) override;
  virtual void layoutChildren(const QRect& content);
  void place(SkinControl* c, const QRect& r);

 private:
  void layoutLine(const QRect& content, bool vertical);
  void placeFloating();

  QMargins inset_;
  int childPadding_ = 0;
  bool inLayout_ = false;
};

}  // namespace tembra
