#include "skin/SkinText.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/SkinContext.h"

namespace tembra {

SkinText::SkinText(const SkinNode& node, SkinContext& ctx, QWidget* parent) : SkinLabel(node, ctx, parent) {
  hotText_ = node.has(u"hottextcolor") ? skinColor(node.color(u"hottextcolor")) : ctx.linkColor;
  setCursor(Qt::PointingHandCursor);
}

void SkinText::enterEvent(QEnterEvent*) {
  hot_ = true;
  update();
}

void SkinText::leaveEvent(QEvent*) {
  hot_ = false;
  update();
}

void SkinText::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) pushed_ = true;
}

void SkinText::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pushed_) return;
  pushed_ = false;
  if (rect().contains(e->position().toPoint()) && isEnabled()) notify(QStringLiteral("click"));
}

void SkinText::paintContent(QPainter& p) {
  look_.paintText(p, rect(), text_, !isEnabled() ? look_.disabledTextColor : hot_ ? hotText_ : look_.textColor);
}

}  // namespace tembra
