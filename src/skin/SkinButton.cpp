#include "skin/SkinButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/SkinContext.h"

namespace tembra {

namespace {
QString img(const SkinNode& n, std::u16string_view a) { return QString::fromStdU16String(n.text(a)); }
}  // namespace

SkinButton::SkinButton(const SkinNode& node, SkinContext& ctx, QWidget* parent) : SkinControl(node, ctx, parent) {
  normalImage_ = img(node, u"normalimage");
  hotImage_ = img(node, u"hotimage");
  pushedImage_ = img(node, u"pushedimage");
  disabledImage_ = img(node, u"disabledimage");
  foreImage_ = img(node, u"foreimage");
  hotBk_ = nodeColor(node, u"hotbkcolor");
  pushedBk_ = nodeColor(node, u"pushedbkcolor");
  hotText_ = nodeColor(node, u"hottextcolor");
  pushedText_ = nodeColor(node, u"pushedtextcolor");
  setCursor(Qt::PointingHandCursor);
}

void SkinButton::enterEvent(QEnterEvent*) {
  hot_ = true;
  update();
}

void SkinButton::leaveEvent(QEvent*) {
  hot_ = false;
  update();
}

void SkinButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
  pushed_ = true;
  update();
}

void SkinButton::mouseMoveEvent(QMouseEvent* e) {
  const bool inside = rect().contains(e->position().toPoint());
  if (inside != hot_) {
    hot_ = inside;
    update();
  }
}

void SkinButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pushed_) return QWidget::mouseReleaseEvent(e);
  pushed_ = false;
  update();
  if (rect().contains(e->position().toPoint()) && isEnabled()) activate();
}

void SkinButton::activate() { notify(QStringLiteral("click")); }

QString SkinButton::stateImage() const {
  if (!isEnabled() && !disabledImage_.isEmpty()) return disabledImage_;
  if (pushed_ && hot_ && !pushedImage_.isEmpty()) return pushedImage_;
  if ((hot_ || pushed_) && !hotImage_.isEmpty()) return hotImage_;
  return normalImage_;
}

QColor SkinButton::currentBkColor() const {
  if (isEnabled() && pushed_ && hot_ && pushedBk_.isValid()) return pushedBk_;
  if (isEnabled() && (hot_ || pushed_) && hotBk_.isValid()) return hotBk_;
  return look_.bkColor;
}

QColor SkinButton::stateTextColor() const {
  if (!isEnabled()) return look_.disabledTextColor;
  if (pushed_ && hot_ && pushedText_.isValid()) return pushedText_;
  if ((hot_ || pushed_) && hotText_.isValid()) return hotText_;
  return look_.textColor;
}

void SkinButton::paintContent(QPainter& p) {
  const QString image = stateImage();
  if (!image.isEmpty()) paintSkinImage(p, rect(), ctx_.image(image), look_.corner);
  if (!foreImage_.isEmpty()) {
    const QPixmap fore = ctx_.image(foreImage_);
    if (!fore.isNull()) {
      const QSize s = fore.deviceIndependentSize().toSize();
      p.drawPixmap(QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s), fore);
    }
  }
  look_.paintText(p, rect(), text_, stateTextColor());
}

}  // namespace tembra
