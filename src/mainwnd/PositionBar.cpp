#include "mainwnd/PositionBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tembra {

PositionBar::PositionBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("transportposition"));
  setMinimumWidth(60);
  setFixedHeight(12);
  setCursor(Qt::PointingHandCursor);
}

void PositionBar::setShare(double share) {
  share = std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
  if (share == share_) return;
  share_ = share;
  update();
}

void PositionBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF track = QRectF(rect()).adjusted(0, 3, 0, -3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3a, 0x42, 0x50));
  p.drawRoundedRect(track, 3, 3);
  QRectF done = track;
  done.setWidth(track.width() * share_);
  p.setBrush(QColor(0x4c, 0x9a, 0xff));
  p.drawRoundedRect(done, 3, 3);
  p.setBrush(QColor(0xe6, 0xe9, 0xef));
  p.drawEllipse(QPointF(done.right(), track.center().y()), 5, 5);
}

void PositionBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || width() <= 0) return;
  emit clicked(std::clamp(event->position().x() / width(), 0.0, 1.0));
}

}  // namespace tembra
