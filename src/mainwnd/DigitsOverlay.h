#pragma once
#include <QLabel>

namespace tembra {

// The small box over the video's top right corner that shows a channel
// number while it is typed, or says briefly that no channel has it.
// Transparent to the mouse.
class DigitsOverlay : public QLabel {
  Q_OBJECT

 public:
  static constexpr int kMargin = 16;

  explicit DigitsOverlay(QWidget* parent);
  // Shows text at the top right of area (parent coordinates), above its
  // siblings.
  void showText(const QString& text, const QRect& area, bool problem = false);
};

}  // namespace tembra
