#pragma once
#include "skin/SkinControl.h"

namespace tembra {

// A horizontal bar filled in proportion to value between min and max
// ("ProgressUI"). The Slider ("SliderUI") adds a thumb the user drags; it
// sends "valuechanged".
class SkinProgress : public SkinControl {
  Q_OBJECT

 public:
  SkinProgress(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  int minimum() const { return min_; }
  int maximum() const { return max_; }
  int value() const { return value_; }
  void setRange(int minimum, int maximum);
  void setValue(int value);

 protected:
  void paintContent(QPainter& p) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  int valueAt(int x) const;
  QRect fillRect() const;

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  QColor fg_, thumb_;
  QString fgImage_, thumbImage_;
  QSize thumbSize_;
  bool slider_;
};

}  // namespace tembra
