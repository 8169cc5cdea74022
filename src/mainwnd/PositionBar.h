#pragma once
#include <QWidget>

namespace tembra {

// The bar itself: filled up to the position, the rest dim; a click says
// where.
class PositionBar : public QWidget {
  Q_OBJECT
 public:
  explicit PositionBar(QWidget* parent = nullptr);
  void setShare(double share);
  double share() const { return share_; }

 signals:
  void clicked(double fraction);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  double share_ = 0;
};

}  // namespace tembra
