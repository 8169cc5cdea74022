#include "mainwnd/DigitsOverlay.h"

namespace tembra {

DigitsOverlay::DigitsOverlay(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("digitsoverlay"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAlignment(Qt::AlignCenter);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

void DigitsOverlay::showText(const QString& text, const QRect& area, bool problem) {
  setStyleSheet(QStringLiteral("QLabel#digitsoverlay { background: rgba(16, 19, 24, 225); color: %1;"
                               " border: 1px solid #3d8bfd; border-radius: 8px; padding: 6px 14px;"
                               " font-family: 'Noto Sans'; font-weight: bold; font-size: %2px; }")
                    .arg(problem ? QStringLiteral("#ff7b72") : QStringLiteral("#ffffff"))
                    .arg(problem ? 16 : 30));
  setText(text);
  adjustSize();
  const QSize size = sizeHint().expandedTo(QSize(problem ? 0 : 72, 0));
  resize(size);
  move(std::max(area.left(), area.right() + 1 - kMargin - size.width()), area.top() + kMargin);
  show();
  raise();
}

}  // namespace tembra
