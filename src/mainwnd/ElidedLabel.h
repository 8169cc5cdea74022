#pragma once
#include <QLabel>

namespace tembra {

// A one-line label that gives way in a crowded row: it asks for its whole
// text's width but can be squeezed to a few characters, and then shows the
// text cut with an ellipsis (text() keeps the whole of it).
class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;

  QSize minimumSizeHint() const override;
  // What the label shows at width pixels.
  QString shownText(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tembra
