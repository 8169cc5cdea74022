#include "skin/SkinControl.h"

#include <QEvent>
#include <QPainter>

#include "skin/SkinContainer.h"
#include "skin/SkinContext.h"

namespace tembra {

SkinControl::SkinControl(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), kind_(node.kind) {
  setObjectName(QString::fromStdU16String(node.name()));
  look_.read(node, ctx);
  text_ = QString::fromStdU16String(node.text(u"text"));
  const std::u16string tip = node.text(u"tooltip");
  if (!tip.empty()) setToolTip(QString::fromStdU16String(tip));
  fixedWidth_ = std::max(0, node.integer(u"width"));
  fixedHeight_ = std::max(0, node.integer(u"height"));
  minWidth_ = std::max(0, node.integer(u"minwidth"));
  minHeight_ = std::max(0, node.integer(u"minheight"));
  maxWidth_ = std::max(0, node.integer(u"maxwidth"));
  maxHeight_ = std::max(0, node.integer(u"maxheight"));
  padding_ = toMargins(node.rect(u"padding"));
  if (node.has(u"pos")) {
    const SkinRect r = node.rect(u"pos");
    rect_ = QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    floating_ = node.flag(u"float", false);
    if (fixedWidth_ == 0) fixedWidth_ = std::max(0, r.width());
    if (fixedHeight_ == 0) fixedHeight_ = std::max(0, r.height());
  }
  if (!node.flag(u"enabled", true)) setEnabled(false);
  if (!node.flag(u"visible", true)) QWidget::setVisible(false);
  setMouseTracking(true);
  ctx_.registerControl(this);
}

SkinControl::~SkinControl() { ctx_.forgetControl(this); }

QString SkinControl::className() const { return QString::fromUtf16(SkinSchema::type(kind_).className.data(),
                                                                     SkinSchema::type(kind_).className.size()); }

void SkinControl::setPosition(const QRect& clientRect) {
  floating_ = true;
  clientPlaced_ = true;
  rect_ = clientRect;
  setGeometry(floatingGeometry());
  if (auto* c = qobject_cast<SkinContainer*>(this)) c->relayout();
}

QRect SkinControl::floatingGeometry() const {
  if (!clientPlaced_ || parentWidget() == nullptr) return rect_;
  const QPoint origin = parentWidget()->mapTo(window(), QPoint(0, 0));
  return rect_.translated(-origin);
}

QRect SkinControl::position() const {
  if (clientPlaced_) return rect_;
  const QPoint origin = parentWidget() != nullptr ? mapTo(window(), QPoint(0, 0)) : QPoint(0, 0);
  return QRect(origin, size());
}

void SkinControl::setLayoutHeight(int height) {
  fixedHeight_ = std::max(0, height);
  relayoutParent();
}

void SkinControl::setLayoutWidth(int width) {
  fixedWidth_ = std::max(0, width);
  relayoutParent();
}

void SkinControl::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void SkinControl::relayoutParent() {
  if (auto* c = qobject_cast<SkinContainer*>(parentWidget())) c->relayout();
}

bool SkinControl::event(QEvent* e) {
  if (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent) relayoutParent();
  return QWidget::event(e);
}

void SkinControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  look_.paintBox(p, rect(), ctx_, currentBkColor());
  paintContent(p);
}

void SkinControl::paintContent(QPainter& p) {
  look_.paintText(p, rect(), text_, isEnabled() ? look_.textColor : look_.disabledTextColor);
}

void SkinControl::notify(const QString& type, int item) {
  ctx_.notify(SkinNotification{type, name(), this, item});
}

}  // namespace tembra
