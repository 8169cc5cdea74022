#include "mainwnd/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace tembra {

namespace {
// Room for a few characters and the ellipsis before the label gives way
// no further.
constexpr int kShortestChars = 4;
}  // namespace

QSize ElidedLabel::minimumSizeHint() const {
  const QSize full = QLabel::minimumSizeHint();
  const int shortest = fontMetrics().averageCharWidth() * kShortestChars + fontMetrics().horizontalAdvance(QChar(0x2026));
  return QSize(std::min(full.width(), shortest + contentsMargins().left() + contentsMargins().right()), full.height());
}

QString ElidedLabel::shownText(int width) const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, width));
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = contentsRect();
  style()->drawItemText(&p, area, static_cast<int>(alignment()), palette(), isEnabled(), shownText(area.width()),
                        foregroundRole());
}

}  // namespace tembra
