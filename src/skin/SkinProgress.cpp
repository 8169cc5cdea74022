#include "skin/SkinProgress.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/SkinContext.h"

namespace tembra {

SkinProgress::SkinProgress(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent), slider_(node.kind == SkinControlKind::Slider) {
  min_ = node.integer(u"min", 0);
  max_ = std::max(min_, node.integer(u"max", 100));
  value_ = std::clamp(node.integer(u"value", min_), min_, max_);
  fg_ = node.has(u"fgcolor") ? nodeColor(node, u"fgcolor") : ctx.selectedColor;
  thumb_ = node.has(u"thumbcolor") ? nodeColor(node, u"thumbcolor") : ctx.textColor;
  fgImage_ = QString::fromStdU16String(node.text(u"fgimage"));
  thumbImage_ = QString::fromStdU16String(node.text(u"thumbimage"));
  const SkinSize t = node.size(u"thumbsize", {10, 10});
  thumbSize_ = QSize(t.width, t.height);
  if (slider_) setCursor(Qt::PointingHandCursor);
}

void SkinProgress::setRange(int minimum, int maximum) {
  min_ = minimum;
  max_ = std::max(minimum, maximum);
  setValue(value_);
}

void SkinProgress::setValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  update();
}

QRect SkinProgress::fillRect() const {
  const qint64 span = static_cast<qint64>(max_) - min_;
  const int w = span > 0 ? static_cast<int>(static_cast<qint64>(width()) * (value_ - min_) / span) : 0;
  return QRect(0, 0, w, height());
}

void SkinProgress::paintContent(QPainter& p) {
  const QRect fill = fillRect();
  if (!fgImage_.isEmpty()) paintSkinImage(p, fill, ctx_.image(fgImage_), look_.corner);
  else if (fg_.isValid()) p.fillRect(fill, fg_);
  if (slider_) {
    const QRect t(QPoint(fill.right() - thumbSize_.width() / 2, (height() - thumbSize_.height()) / 2), thumbSize_);
    if (!thumbImage_.isEmpty()) {
      paintSkinImage(p, t, ctx_.image(thumbImage_), {});
    } else {
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setBrush(thumb_);
      p.setPen(Qt::NoPen);
      p.drawEllipse(t);
    }
  }
  SkinControl::paintContent(p);
}

int SkinProgress::valueAt(int x) const {
  if (width() <= 0) return min_;
  return min_ + static_cast<int>(static_cast<qint64>(max_ - min_) * std::clamp(x, 0, width()) / width());
}

void SkinProgress::mousePressEvent(QMouseEvent* e) {
  if (!slider_ || e->button() != Qt::LeftButton) return SkinControl::mousePressEvent(e);
  const int before = value_;
  setValue(valueAt(static_cast<int>(e->position().x())));
  if (value_ != before) notify(QStringLiteral("valuechanged"));
}

void SkinProgress::mouseMoveEvent(QMouseEvent* e) {
  if (!slider_ || !(e->buttons() & Qt::LeftButton)) return SkinControl::mouseMoveEvent(e);
  const int before = value_;
  setValue(valueAt(static_cast<int>(e->position().x())));
  if (value_ != before) notify(QStringLiteral("valuechanged"));
}

}  // namespace tembra
