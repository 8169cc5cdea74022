#include "mainwnd/DigitsOverlay.h"

#include <QStyle>

namespace tembra {

DigitsOverlay::DigitsOverlay(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("digitsoverlay"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAlignment(Qt::AlignCenter);
  setFocusPolicy(Qt::NoFocus);
  setStyleSheet(QStringLiteral(
      "QLabel#digitsoverlay { background: rgba(16, 19, 24, 225); color: #ffffff; border: 1px solid #3d8bfd;"
      " border-radius: 8px; padding: 6px 14px; font-family: 'Noto Sans'; font-weight: bold; font-size: 30px; }"
      "QLabel#digitsoverlay[problem=\"true\"] { color: #ff7b72; font-size: 16px; }"));
  hide();
}

void DigitsOverlay::showText(const QString& text, const QRect& area, bool problem) {
  if (property("problem").toBool() != problem) {
    setProperty("problem", problem);
    style()->unpolish(this);
    style()->polish(this);
  }
  setText(text);
  const QSize size = sizeHint().expandedTo(QSize(problem ? 0 : 72, 0));
  resize(size);
  move(std::max(area.left(), area.right() + 1 - kMargin - size.width()), area.top() + kMargin);
  show();
  raise();
}

}  // namespace tembra
